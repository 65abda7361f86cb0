// The download job: what the next download will do, as a batch script.
//
// The script has three lines, CR LF between them and none after the last:
//   1. a fixed header that turns echo off, enters the script's own folder
//      and titles the console window;
//   2. the change into the save folder, or an empty line when none was given;
//   3. the wget command, plain or through an HTTP proxy.
// Every user text goes into the script inside double quotes with each '%'
// doubled, so that & | < > ^ % and spaces reach wget unchanged. Texts the
// script cannot carry (a double quote or a control byte) are refused.
#pragma once

#include "platform/Text.h"

#include <optional>
#include <string_view>

enum class JobField { SaveFolder, Address, ProxyHost, ProxyPort };

enum class JobProblem {
    BadCharacter, // a double quote, CR, LF or another byte below 0x20
    Empty,        // nothing left after trimming
    BadPort,      // not decimal digits in 1..65535
};

struct JobRefusal {
    JobField field;
    JobProblem problem;
    bool operator==(const JobRefusal&) const = default;
};

// No value: accepted. A value: what was refused; the job then holds no script.
using JobResult = std::optional<JobRefusal>;

// Exit status of a script whose save folder cannot be entered. wget's own
// statuses are 0 to 8.
inline constexpr unsigned long FolderUnreachableStatus = 90;

class DownloadJob {
public:
    // An empty folder means none was chosen: the script stays in its own
    // folder. A bare drive ("D:") means that drive's root.
    [[nodiscard]] JobResult setSaveFolder(std::string_view folder);
    [[nodiscard]] JobResult preparePlain(std::string_view address);
    [[nodiscard]] JobResult prepareProxied(std::string_view host, std::string_view port,
                                           std::string_view address);

    // The script's bytes: no terminating NUL, no byte-order mark.
    std::string_view scriptBytes() const { return scriptText_; }

    void releaseJob();

private:
    Text changeDirLine_;
    Text plainCommand_;
    Text scriptText_;
};
