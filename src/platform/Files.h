// Whole-file helpers over the ANSI Win32 file API. Platform error
// convention: false or an empty optional, with the reason in GetLastError().
#pragma once

#include "platform/Text.h"

#include <optional>
#include <string>
#include <string_view>

namespace files {

std::optional<std::string> readAll(const Text& path);

// Creates the file only if nothing is at path (CREATE_NEW) and writes all of
// bytes. A file that could not be written completely is removed again.
bool createNew(const Text& path, std::string_view bytes);

bool exists(const Text& path);

} // namespace files
