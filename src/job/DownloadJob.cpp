#include "job/DownloadJob.h"

#include <string>

namespace {

constexpr std::string_view ScriptHeader =
    "@ECHO OFF&PUSHD %~DP0 &TITLE \xCF\xC2\xD4\xD8\xD6\xD0\xA3\xAC\xC7\xEB\xCE\xF0\xB9\xD8\xB1\xD5"
    "\xB1\xBE\xB4\xB0\xBF\xDA\r\n"; // 下载中，请勿关闭本窗口
constexpr std::string_view LineBreak = "\r\n";
constexpr std::string_view PlainPrefix = "wget -r -p -np -k ";
constexpr std::string_view ProxiedPrefix = "wget -r -p -np -k -N -t 3 ";

bool hasUnsafeByte(std::string_view s)
{
    for (char c : s) {
        if (c == '"' || (static_cast<unsigned char>(c) < 0x20))
            return true;
    }
    return false;
}

// Doubles every '%', which the interpreter would otherwise expand even inside
// double quotes. Trail bytes of code page 936 are 0x40 or above, so a '%'
// byte is always a character of its own.
Text escapePercent(std::string_view s)
{
    Text out;
    out.reserve(s.size());
    for (char c : s) {
        out += c;
        if (c == '%')
            out += '%';
    }
    return out;
}

// A command-line argument in double quotes. wget's runtime reads 2n
// backslashes before a quote as n backslashes and a closing quote, so any
// backslashes at the end are doubled to keep them.
Text quotedArgument(std::string_view s)
{
    std::size_t trailing = 0;
    while (trailing < s.size() && s[s.size() - 1 - trailing] == '\\')
        ++trailing;
    return text::concat({"\"", escapePercent(s), std::string(trailing, '\\'), "\""});
}

bool isValidPort(std::string_view port)
{
    unsigned long value = 0;
    for (char c : port) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned long>(c - '0');
        if (value > 65535)
            return false;
    }
    return value >= 1;
}

JobResult checkAddress(std::string_view address)
{
    if (hasUnsafeByte(address))
        return JobRefusal{JobField::Address, JobProblem::BadCharacter};
    if (address.empty())
        return JobRefusal{JobField::Address, JobProblem::Empty};
    return std::nullopt;
}

} // namespace

JobResult DownloadJob::setSaveFolder(std::string_view folder)
{
    if (hasUnsafeByte(folder))
        return JobRefusal{JobField::SaveFolder, JobProblem::BadCharacter};
    if (folder.empty()) {
        changeDirLine_.clear();
        return std::nullopt;
    }
    Text path(folder);
    if (path.size() == 2 && path[1] == ':')
        path += '\\'; // "D:" alone would mean D:'s current folder, not its root
    // "if exist X\*" is true for a folder, also an empty one, and false for a
    // file or a missing path; the interpreter's conditional operators are not
    // used because not every cmd.exe sets ERRORLEVEL for cd.
    Text pattern = path.back() == '\\' ? path + "*" : path + "\\*";
    changeDirLine_ = text::concat({"if exist \"", escapePercent(pattern), "\" (cd /d \"",
                                   escapePercent(path), "\") else exit /b ",
                                   std::to_string(FolderUnreachableStatus)});
    return std::nullopt;
}

JobResult DownloadJob::preparePlain(std::string_view address)
{
    scriptText_.clear();
    address = text::trimSpaces(address);
    if (JobResult refusal = checkAddress(address))
        return refusal;
    plainCommand_ = text::concat({PlainPrefix, quotedArgument(address)});
    scriptText_ = text::concat({ScriptHeader, changeDirLine_, LineBreak, plainCommand_});
    return std::nullopt;
}

JobResult DownloadJob::prepareProxied(std::string_view host, std::string_view port,
                                      std::string_view address)
{
    scriptText_.clear();
    host = text::trimSpaces(host);
    port = text::trimSpaces(port);
    address = text::trimSpaces(address);
    if (hasUnsafeByte(host))
        return JobRefusal{JobField::ProxyHost, JobProblem::BadCharacter};
    if (host.empty())
        return JobRefusal{JobField::ProxyHost, JobProblem::Empty};
    if (hasUnsafeByte(port))
        return JobRefusal{JobField::ProxyPort, JobProblem::BadCharacter};
    if (port.empty())
        return JobRefusal{JobField::ProxyPort, JobProblem::Empty};
    if (!isValidPort(port))
        return JobRefusal{JobField::ProxyPort, JobProblem::BadPort};
    if (JobResult refusal = checkAddress(address))
        return refusal;

    Text proxy = escapePercent(text::concat({"http://", host, ":", port}));
    scriptText_ = text::concat({ScriptHeader, changeDirLine_, LineBreak, ProxiedPrefix,
                                "-e\"http_proxy=", proxy, "\" -e\"https_proxy=", proxy, "\" ",
                                quotedArgument(address)});
    return std::nullopt;
}

void DownloadJob::releaseJob()
{
    Text().swap(changeDirLine_);
    Text().swap(plainCommand_);
    Text().swap(scriptText_);
}
