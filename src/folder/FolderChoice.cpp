#include "folder/FolderChoice.h"

Text shapeFolderChoice(std::string_view displayName, bool returnedItem,
                       const std::function<std::optional<Text>()>& pathOfItem)
{
    std::string_view name = text::trimSpaces(displayName);
    if (text::findChar(name, '?') != text::npos)
        return {};
    if (returnedItem) {
        std::optional<Text> path = pathOfItem();
        if (!path)
            return {};
        if (path->size() == 3)
            path->resize(2); // "C:\" -> "C:"
        return *path;
    }
    if (name.empty())
        return {};
    return text::concat({"\\\\", name});
}
