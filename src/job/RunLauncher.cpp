#include "job/RunLauncher.h"

#include "job/ScriptFile.h"
#include "platform/Files.h"
#include "platform/Handle.h"

#include <windows.h>

#include <utility>

namespace {

// A started script: the interpreter's process handle decides when it has
// ended, whatever other interpreters run on the machine.
class ScriptRun final : public ActiveRun {
public:
    ScriptRun(Handle process, Text scriptPath)
        : process_(std::move(process)), scriptPath_(std::move(scriptPath))
    {
    }

    std::optional<unsigned long> exitStatus() override
    {
        if (::WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0)
            return std::nullopt;
        DWORD status = 0;
        if (!::GetExitCodeProcess(process_.get(), &status))
            status = 0xFFFFFFFF; // shown as an unknown end
        return status;
    }

    void removeScript() override { ::DeleteFileA(scriptPath_.c_str()); }

private:
    Handle process_;
    Text scriptPath_;
};

// Writes bytes into a new file at path; never replaces what is there.
Claim createScript(const Text& path, std::string_view bytes, DWORD& error)
{
    if (files::createNew(path, bytes))
        return Claim::Created;
    error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return Claim::Taken;
    // A folder of that name, or a file waiting to be deleted, also refuses
    // with "access denied"; a folder that is not writable refuses every name.
    if (error == ERROR_ACCESS_DENIED && files::exists(path))
        return Claim::Taken;
    return Claim::Failed;
}

} // namespace

RunLauncher::RunLauncher(LauncherHost& host)
    : RunLauncher(host, Text(DefaultScriptFolder), Text(DefaultScriptBaseName))
{
}

RunLauncher::RunLauncher(LauncherHost& host, Text scriptFolder, Text scriptBaseName)
    : host_(host), scriptFolder_(std::move(scriptFolder)),
      scriptBaseName_(std::move(scriptBaseName)), watch_(host)
{
}

RunLauncher::~RunLauncher() = default;

void RunLauncher::startRun(const DownloadJob& job)
{
    const std::string_view bytes = job.scriptBytes();
    if (bytes.empty()) {
        reportStartProblem(StartProblem::NoScript, 0);
        return;
    }
    DWORD error = ERROR_FILE_EXISTS; // stays so when every name is taken
    std::optional<Text> path = claimScriptFile(
        scriptFolder_, scriptBaseName_,
        [&](const Text& candidate) { return createScript(candidate, bytes, error); });
    if (!path) {
        reportStartProblem(StartProblem::ScriptNotWritten, error);
        return;
    }

    // A tick dispatched here cannot end this run: it is watched only once
    // it has started.
    host_.processPendingEvents();

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    Text commandLine = *path; // CreateProcessA may write into it
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                          nullptr, nullptr, &startup, &started)) {
        error = ::GetLastError();
        ::DeleteFileA(path->c_str()); // ours, and nothing runs it
        reportStartProblem(StartProblem::ScriptNotStarted, error);
        return;
    }
    Handle process(started.hProcess);
    Handle thread(started.hThread);
    ::WaitForInputIdle(process.get(), 1000);
    thread.reset();
    watch_.add(std::make_unique<ScriptRun>(std::move(process), std::move(*path)));
}

void RunLauncher::onWatchTick()
{
    watch_.tick();
}

void RunLauncher::reportStartProblem(StartProblem problem, unsigned long systemError)
{
    Outcome outcome = outcomeOfStartProblem(problem, scriptFolder_, systemError);
    host_.showMessage(outcome.text, outcome.caption, outcome.iconFlags);
}
