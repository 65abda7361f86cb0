// What the folder dialog's answer means as a save folder.
#pragma once

#include "platform/Text.h"

#include <functional>
#include <optional>
#include <string_view>

// The dialog's title when the caller gives none: 请选择文件夹路径
inline constexpr std::string_view DefaultFolderDialogTitle =
    "\xC7\xEB\xD1\xA1\xD4\xF1\xCE\xC4\xBC\xFE\xBC\xD0\xC2\xB7\xBE\xB6";

// Shapes the folder dialog's answer into the folder the program uses, or an
// empty text when there is none (also when the dialog was cancelled).
//   displayName  the dialog's display-name buffer up to its NUL; it is left
//                as the caller filled it (all spaces) when the dialog was
//                cancelled
//   returnedItem whether the dialog returned an item identifier
//   pathOfItem   asked only for a returned item whose name passed: the
//                item's file-system path, or nothing when it has none
// The display name is trimmed of half- and full-width spaces. A name with a
// '?' in it (the shell's stand-in for a character the code page lacks) gives
// no folder. A returned item gives its path, with a drive root "C:\" cut to
// "C:"; no item but a name gives "\\" and the name, as typed into the dialog's
// edit box for a machine on the network.
Text shapeFolderChoice(std::string_view displayName, bool returnedItem,
                       const std::function<std::optional<Text>()>& pathOfItem);
