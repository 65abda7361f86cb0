#include "folder/FolderDialog.h"

#include "platform/Shell.h"

#include <string>

namespace {

// BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_STATUSTEXT |
// BIF_EDITBOX | BIF_VALIDATE | BIF_NEWDIALOGSTYLE
constexpr UINT DialogFlags = 0x77;
static_assert(DialogFlags == (BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_STATUSTEXT |
                              BIF_EDITBOX | BIF_VALIDATE | BIF_NEWDIALOGSTYLE));

// A buffer the shell writes a NUL-terminated text of up to MAX_PATH bytes
// into; it starts as spaces so that an untouched buffer reads as blank.
std::string blankBuffer()
{
    std::string b(MAX_PATH, ' ');
    b.push_back('\0');
    return b;
}

Text upToNul(const std::string& buffer)
{
    return buffer.substr(0, buffer.find('\0'));
}

} // namespace

Text browseForFolder(HWND owner, std::string_view title)
{
    Pidl root;
    ::SHGetFolderLocation(owner, CSIDL_DESKTOP, nullptr, 0, root.receive());

    std::string displayName = blankBuffer();
    const std::string titleText(title);

    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pidlRoot = root.get();
    info.pszDisplayName = displayName.data();
    info.lpszTitle = titleText.c_str();
    info.ulFlags = DialogFlags;
    info.lpfn = nullptr;

    Pidl item(::SHBrowseForFolderA(&info));
    return shapeFolderChoice(upToNul(displayName), static_cast<bool>(item),
                             [&]() -> std::optional<Text> {
                                 std::string path = blankBuffer();
                                 if (!::SHGetPathFromIDListA(item.get(), path.data()))
                                     return std::nullopt;
                                 return upToNul(path);
                             });
}
