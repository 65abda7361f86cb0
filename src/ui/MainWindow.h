// The program's one window: where to save, what to download, the proxy, and
// the button that starts it all.
#pragma once

#include "job/DownloadJob.h"
#include "job/RunLauncher.h"
#include "ui/Form.h"
#include "ui/InputMessages.h"

#include <optional>
#include <string_view>

class MainWindow final : public LauncherHost {
public:
    explicit MainWindow(DownloadJob& job);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Builds and shows the window; the carried download tool is put in
    // place before it is shown and taken away when the window is destroyed.
    bool load();

    // LauncherHost
    void processPendingEvents() override;
    void setWatchPeriod(unsigned ms) override;
    void showMessage(std::string_view text, std::string_view caption, unsigned iconFlags) override;

private:
    void chooseSaveFolder(); // 按钮1
    void download();         // 按钮2
    void run();              // 按钮3
    void openHomepage();     // 标签3
    std::optional<InputProblem> checkSaveFolder();
    void warn(InputProblem problem);

    DownloadJob& job_;
    Form form_;
    RunLauncher launcher_;
};
