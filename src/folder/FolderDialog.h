// The save-folder chooser: the shell's folder dialog.
#pragma once

#include "folder/FolderChoice.h"

#include <windows.h>

#include <string_view>

// Shows the modal folder dialog over owner, rooted at the desktop, with an
// edit box, and returns the chosen folder shaped by shapeFolderChoice: empty
// when cancelled or when nothing usable was chosen. The calling thread must
// have OLE initialised as a single-threaded apartment.
Text browseForFolder(HWND owner, std::string_view title = DefaultFolderDialogTitle);
