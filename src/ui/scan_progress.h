#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

namespace gantrel::ui {

/// The progress of a long scan: once half a second has passed since the run started, a modal
/// dialog shows "Tile t of N" with a bar, and every tile lets the window repaint. A short run
/// shows nothing. The dialog has no cancel button: a scan always runs to its end.
class ScanProgress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    /// How long a run goes on before the dialog appears.
    static constexpr std::chrono::milliseconds kDelay{500};

    /// The real clock.
    static std::chrono::steady_clock::time_point now();

    /// Starts timing the run now (by `clock`); the dialog, once shown, is modal over `owner`.
    ScanProgress(QWidget* owner, Clock clock);
    ~ScanProgress();
    ScanProgress(const ScanProgress&) = delete;
    ScanProgress& operator=(const ScanProgress&) = delete;

    /// After tile `done` of `total`: shows or updates the dialog when the delay has passed, then
    /// processes pending events so that the windows repaint. Input cannot reach the main window
    /// meanwhile: the dialog is application-modal.
    void tileScanned(std::size_t done, std::size_t total);

    /// Closes the dialog, if shown; a later tile may show it again.
    void close();

    /// True while the dialog is shown.
    bool shown() const { return m_dialog != nullptr; }

private:
    QWidget* m_owner;
    Clock m_clock;
    std::chrono::steady_clock::time_point m_start;
    std::unique_ptr<QProgressDialog> m_dialog;
};

}  // namespace gantrel::ui
