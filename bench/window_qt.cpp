// SPDX-License-Identifier: MIT
// The Linux window's benchmark: the real window analyses a map of 100,000 distinct references;
// how long after the scan's end its lists are shown, and how long a page scroll of the longest
// list takes. Run on the offscreen platform by bench/window.

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "dialogs.h"
#include "main_window.h"
#include "window_bench.h"

namespace {

using namespace gantrel;
using Clock = std::chrono::steady_clock;

// Answers the chooser with the map and takes the time of the scan's end message.
class BenchDialogs final : public ui::Dialogs {
public:
    explicit BenchDialogs(std::string map) : m_map(std::move(map)) {}
    void showMessage(const std::string& /*text*/) override { scanEnd = Clock::now(); }
    void showError(const std::string& message) override
    {
        std::fprintf(stderr, "window_qt: %s\n", message.c_str());
    }
    bool chooseMapFolder(const QString&, const QString&, std::string& folder) override
    {
        folder = m_map;
        return true;
    }
    bool executeFolderDialog(ui::FolderDialog&) override { return false; }
    std::optional<std::string> chooseSaveFile(const std::string&) override { return {}; }
    std::optional<std::string> chooseSaveZip(const std::string&, const std::string&) override
    {
        return {};
    }
    bool executePackageDialog(ui::PackageDialog&) override { return false; }
    void executeMenu(QMenu&, const QPoint&) override {}
    void executeWhereUsed(ui::WhereUsedDialog&) override {}
    bool openFile(const std::string&) override { return false; }
    bool confirmRelink(const std::string&) override { return false; }
    void showRelinkReport(const std::string&) override {}

    std::optional<Clock::time_point> scanEnd;

private:
    std::string m_map;
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "gantrel-window-bench";
    std::filesystem::remove_all(folder);
    BenchDialogs dialogs(bench::writeWindowBenchMap(folder).string());
    ui::MainWindow window(dialogs, {(folder / "gantrel.ini").string()});
    window.show();
    QApplication::processEvents();

    window.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    QApplication::processEvents();
    const Clock::time_point shown = Clock::now();
    if (!dialogs.scanEnd || window.state().objects.size() < 80'000) {
        std::fprintf(stderr, "window_qt: the analysis did not complete\n");
        return 2;
    }
    bench::WindowFigures figures;
    figures.shown = shown - *dialogs.scanEnd;

    // The object list, the longest, on its page.
    auto* memo = window.findChild<QPlainTextEdit*>(QStringLiteral("filelist"));
    const Clock::time_point select = Clock::now();
    window.findChild<QTabWidget*>()->setCurrentIndex(3);
    QApplication::processEvents();
    memo->viewport()->repaint();
    figures.pageShown = Clock::now() - select;
    const auto scroll = [&](QAbstractSlider::SliderAction action) {
        const Clock::time_point start = Clock::now();
        memo->verticalScrollBar()->triggerAction(action);
        memo->viewport()->repaint();
        figures.scrolls.emplace_back(Clock::now() - start);
    };
    for (int page = 0; page < 30; ++page) {
        scroll(QAbstractSlider::SliderPageStepAdd);
    }
    scroll(QAbstractSlider::SliderToMaximum);

    const bool met = bench::printWindowFigures("Linux window (Qt, offscreen)", figures);
    std::filesystem::remove_all(folder);
    return met ? 0 : 1;
}
