// The bytes carried inside the executable, read-only, valid for the life of
// the process. Empty if the resource is missing.
#pragma once

#include <string_view>

std::string_view toolPayload();     // wget.exe
std::string_view caBundlePayload(); // PEM certificates
