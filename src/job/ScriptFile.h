// Where each run's script is written: a file of its own, never one that is
// already there. The first run takes "C:\临时文件.bat"; while that name is
// taken the next free one of "C:\临时文件2.bat", "C:\临时文件3.bat", ... is used.
#pragma once

#include "platform/Text.h"

#include <optional>
#include <string_view>

inline constexpr std::string_view DefaultScriptFolder = "C:\\";
inline constexpr std::string_view DefaultScriptBaseName = "\xC1\xD9\xCA\xB1\xCE\xC4\xBC\xFE"; // 临时文件

// How many names are tried before the script counts as not writable.
inline constexpr unsigned MaxScriptCandidates = 1000;

// The n-th name (n from 1): folder, base name, the number from 2 on, ".bat".
// A folder without a trailing backslash gets one.
Text scriptCandidate(std::string_view folder, std::string_view baseName, unsigned n);

enum class Claim {
    Created, // the file did not exist and now holds the script
    Taken,   // something is already there; try the next name
    Failed,  // the file cannot be made for another reason; stop
};

// Tries the names in order with tryCreate(const Text& path) -> Claim and
// returns the path of the file it created; nothing when a creation failed or
// every name was taken.
template <typename TryCreate>
std::optional<Text> claimScriptFile(std::string_view folder, std::string_view baseName,
                                    TryCreate&& tryCreate)
{
    for (unsigned n = 1; n <= MaxScriptCandidates; ++n) {
        Text path = scriptCandidate(folder, baseName, n);
        switch (tryCreate(path)) {
        case Claim::Created:
            return path;
        case Claim::Taken:
            break;
        case Claim::Failed:
            return std::nullopt;
        }
    }
    return std::nullopt;
}
