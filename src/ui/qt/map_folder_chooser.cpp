// SPDX-License-Identifier: MIT
#include "map_folder_chooser.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <utility>

#include "folder_browser.h"
#include "platform/platform.h"
#include "qt_text.h"

namespace gantrel::ui {

QString rootFolderFromText(const QString& root)
{
    if (root.isEmpty()) {
        return {};
    }
    const bool onlySeparators = std::all_of(root.begin(), root.end(), [](QChar c) {
        return c == QLatin1Char('\\') || c == QLatin1Char('/');
    });
    if (onlySeparators) {
        QDir current = QDir::current();
        while (current.cdUp()) {
        }
        return current.absolutePath();
    }
    const QFileInfo folder(root);
    return folder.isDir() ? folder.absoluteFilePath() : QString();
}

bool chooseMapFolder(const QString& title, const QString& root, std::string& folder, QWidget* owner)
{
    if (!platform::directoryExists(folder)) {
        folder.clear();
    }
    FolderBrowserOptions options;
    options.instruction = title;
    options.rootFolder = rootFolderFromText(root);
    options.startFolder = toQString(folder);
    FolderBrowser browser(std::move(options), owner);
    if (browser.exec() != QDialog::Accepted || browser.selectedFolder().isEmpty()) {
        return false;
    }
    folder = toNarrow(browser.selectedFolder());
    return true;
}

}  // namespace gantrel::ui
