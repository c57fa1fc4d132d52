// SPDX-License-Identifier: MIT
#include "window/operation_interfaces.h"

#include <algorithm>
#include <utility>

namespace gantrel::window {
namespace {

// Before any box the progress dialog closes and the window shows the model as it stands, so
// that the box is seen over the current lists.
void clearForBox(ProgressDialog& progress, const std::function<void()>& render)
{
    progress.close();
    render();
}

}  // namespace

std::string scanProgressText(std::size_t done, std::size_t total)
{
    return "Tile " + std::to_string(done) + " of " + std::to_string(total);
}

std::string copyProgressText(const CopyProgress& done,
                             const std::function<std::string(std::uint64_t)>& number)
{
    return "Files copied: " + number(done.files) + "\nBytes copied: " + number(done.bytes) +
           "\nCopying into: " + done.folder;
}

std::string groupedDigits(std::uint64_t number, std::string_view separator)
{
    std::string digits = std::to_string(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, separator);
    }
    return digits;
}

RunInterface::RunInterface(UserInterface& dialogs, std::unique_ptr<ProgressDialog> progress,
                           std::function<void()> render)
    : m_dialogs(dialogs), m_progress(std::move(progress)), m_render(std::move(render))
{
}

void RunInterface::showMessage(const std::string& text)
{
    clearForBox(*m_progress, m_render);
    m_dialogs.showMessage(text);
}

void RunInterface::showError(const std::string& message)
{
    clearForBox(*m_progress, m_render);
    m_dialogs.showError(message);
}

void RunInterface::tileScanned(std::size_t done, std::size_t total)
{
    m_progress->update(scanProgressText(done, total), done, std::max<std::size_t>(total, 1));
    m_dialogs.tileScanned(done, total);
}

ExportInterface::ExportInterface(UserInterface& dialogs, std::unique_ptr<ProgressDialog> progress,
                                 std::function<std::optional<std::string>()> destination,
                                 std::function<std::string(std::uint64_t)> number,
                                 std::function<void()> render)
    : m_dialogs(dialogs),
      m_progress(std::move(progress)),
      m_destination(std::move(destination)),
      m_number(std::move(number)),
      m_render(std::move(render))
{
}

void ExportInterface::showMessage(const std::string& text)
{
    clearForBox(*m_progress, m_render);
    m_dialogs.showMessage(text);
}

void ExportInterface::showError(const std::string& message)
{
    clearForBox(*m_progress, m_render);
    m_dialogs.showError(message);
}

std::optional<std::string> ExportInterface::chooseDestination()
{
    std::optional<std::string> folder = m_destination();
    if (folder) {
        // The copy starts now: the time the user took over the notice and the dialog is not its.
        m_progress->restart();
    }
    return folder;
}

void ExportInterface::copyProgress(const CopyProgress& done)
{
    // Nothing is known of the total before the copy ends: the bar only shows that it goes on.
    m_progress->update(copyProgressText(done, m_number), 0, 0);
}

}  // namespace gantrel::window
