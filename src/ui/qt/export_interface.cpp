// SPDX-License-Identifier: MIT
#include "export_interface.h"

#include <QLocale>
#include <QString>

#include <utility>

#include "dialogs.h"
#include "folder_dialog.h"
#include "qt_text.h"

namespace gantrel::ui {
namespace {

QString progressText(const CopyProgress& done)
{
    const QLocale locale;
    return QStringLiteral("Files copied: %1\nBytes copied: %2\nCopying into: %3")
        .arg(locale.toString(static_cast<qulonglong>(done.files)),
             locale.toString(static_cast<qulonglong>(done.bytes)), toQString(done.folder));
}

}  // namespace

ExportInterface::ExportInterface(Dialogs& dialogs, FolderDialog& destination, QWidget* owner,
                                 DelayedProgress::Clock clock, std::function<void()> render)
    : m_dialogs(dialogs),
      m_destination(destination),
      m_progress(owner, std::move(clock)),
      m_render(std::move(render))
{
}

void ExportInterface::showMessage(const std::string& text)
{
    prepareForBox();
    m_dialogs.showMessage(text);
}

void ExportInterface::showError(const std::string& message)
{
    prepareForBox();
    m_dialogs.showError(message);
}

std::optional<std::string> ExportInterface::chooseDestination()
{
    // A confirmed dialog holds its selected folder in folder() as well, which is also what its
    // next opening preselects.
    if (!m_dialogs.executeFolderDialog(m_destination)) {
        return std::nullopt;
    }
    // The copy starts now: the time the user took over the notice and the dialog is not its.
    m_progress.restart();
    return m_destination.folder();
}

void ExportInterface::copyProgress(const CopyProgress& done)
{
    // Nothing is known of the total before the copy ends: the bar only shows that it goes on.
    m_progress.update(progressText(done), 0, 0);
}

void ExportInterface::prepareForBox()
{
    m_progress.close();
    m_render();
}

}  // namespace gantrel::ui
