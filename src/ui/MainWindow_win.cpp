#include "ui/MainWindow.h"

#include "folder/FolderDialog.h"
#include "platform/Shell.h"
#include "platform/Window.h"
#include "tool/DownloadTool.h"
#include "ui/MainWindowDesign.h"
#include "ui/Runtime.h"

#include <string>

namespace {

constexpr int ProgramIconId = 1; // velmora.rc
constexpr UINT ProgramCodePage = 936;
const char SaveToTitle[] = "\xB1\xA3\xB4\xE6\xB5\xBD"; // 保存到

} // namespace

MainWindow::MainWindow(DownloadJob& job) : job_(job), form_(MainWindowDesign), launcher_(*this)
{
    form_.setIconResource(ProgramIconId);
    form_.onCreated([] { deployTool(); });
    form_.onDestroying([] { removeTool(); });
    form_.onClick(role::localPathButton, [this] { chooseSaveFolder(); });
    form_.onClick(role::downloadButton, [this] { download(); });
    form_.onClick(role::runButton, [this] { run(); });
    form_.onElapsed(role::watchTimer, [this] { launcher_.onWatchTick(); });
    form_.onLeftPress(role::homepageLabel, [this] { openHomepage(); });
}

bool MainWindow::load()
{
    return form_.load();
}

void MainWindow::chooseSaveFolder()
{
    form_.setText(role::saveFolderBox, browseForFolder(form_.window(), SaveToTitle));
    // A folder the job refuses is reported when 下载 is pressed, which reads
    // the box again.
    (void)job_.setSaveFolder(form_.text(role::saveFolderBox));
}

std::optional<InputProblem> MainWindow::checkSaveFolder()
{
    // The box is read in the code page, where a character the code page
    // lacks comes back as '?' and would name some other folder. An edit box
    // of ours may already hold the '?' itself (Windows keeps the text of an
    // ANSI box in the code page); '?' is never part of a real path either.
    if (!window::fitsCodePage(window::wideText(form_.control(role::saveFolderBox)),
                              ProgramCodePage))
        return InputProblem::FolderNotInCodePage;
    const Text folder = form_.text(role::saveFolderBox);
    if (text::findChar(folder, '?') != text::npos)
        return InputProblem::FolderNotInCodePage;
    if (JobResult refusal = job_.setSaveFolder(folder))
        return problemOf(*refusal);
    if (folder.empty())
        return std::nullopt; // none chosen: the download goes beside the script
    const DWORD attributes = ::GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return InputProblem::FolderMissing;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return InputProblem::FolderNotAFolder;
    return std::nullopt;
}

void MainWindow::download()
{
    // The box as it stands now, also when typed by hand after choosing.
    if (std::optional<InputProblem> problem = checkSaveFolder()) {
        warn(*problem);
        return;
    }
    if (JobResult refusal = job_.preparePlain(form_.text(role::urlBox))) {
        warn(problemOf(*refusal));
        return;
    }
    run();
}

void MainWindow::run()
{
    if (form_.checked(role::useProxyCheck)) {
        JobResult refusal = job_.prepareProxied(form_.text(role::proxyHostBox),
                                                form_.text(role::proxyPortBox),
                                                form_.text(role::urlBox));
        if (refusal) {
            warn(problemOf(*refusal));
            return;
        }
    }
    launcher_.startRun(job_);
}

void MainWindow::openHomepage()
{
    shell::open(form_.window(), std::string(Homepage));
}

void MainWindow::warn(InputProblem problem)
{
    const std::string text(messageOf(problem));
    const std::string caption(InputMessageCaption);
    ::MessageBoxA(form_.window(), text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
}

void MainWindow::processPendingEvents()
{
    runtime::processPendingEvents();
}

void MainWindow::setWatchPeriod(unsigned ms)
{
    form_.setPeriod(role::watchTimer, ms);
}

void MainWindow::showMessage(std::string_view text, std::string_view caption, unsigned iconFlags)
{
    const std::string t(text);
    const std::string c(caption);
    ::MessageBoxA(nullptr, t.c_str(), c.c_str(), MB_OK | MB_TASKMODAL | iconFlags);
}
