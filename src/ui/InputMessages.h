// What the user is told when the window's input cannot start a download: one
// table of texts (InputMessages.cpp), in code page 936.
#pragma once

#include "job/DownloadJob.h"

#include <string_view>

enum class InputProblem {
    FolderBadCharacter,  // the composer refused the save folder
    FolderNotInCodePage, // the box holds characters code page 936 lacks
    FolderMissing,       // nothing is at the path
    FolderNotAFolder,    // a file is at the path
    FolderInvalid,
    AddressBadCharacter,
    AddressEmpty,
    AddressInvalid,
    HostBadCharacter,
    HostEmpty,
    HostInvalid,
    PortBadCharacter,
    PortEmpty,
    PortOutOfRange,
    PortInvalid,
};

// The problem a refusal of the composer stands for. A pair the composer
// never reports falls to the field's general "invalid" problem.
InputProblem problemOf(JobRefusal refusal);

std::string_view messageOf(InputProblem problem);

// The caption of the warning box: Velmora整站下载
inline constexpr std::string_view InputMessageCaption = "Velmora\xD5\xFB\xD5\xBE\xCF\xC2\xD4\xD8";
