// SPDX-License-Identifier: MIT
#include "run_interface.h"

#include <utility>

#include "dialogs.h"

namespace gantrel::ui {

RunInterface::RunInterface(Dialogs& dialogs, QWidget* owner, DelayedProgress::Clock clock,
                           std::function<void()> render)
    : m_dialogs(dialogs), m_progress(owner, std::move(clock)), m_render(std::move(render))
{
}

void RunInterface::showMessage(const std::string& text)
{
    prepareForBox();
    m_dialogs.showMessage(text);
}

void RunInterface::showError(const std::string& message)
{
    prepareForBox();
    m_dialogs.showError(message);
}

void RunInterface::tileScanned(std::size_t done, std::size_t total)
{
    m_progress.tileScanned(done, total);
    m_dialogs.tileScanned(done, total);
}

void RunInterface::prepareForBox()
{
    m_progress.close();
    m_render();
}

}  // namespace gantrel::ui
