// SPDX-License-Identifier: MIT
// Makes the README screenshot: the real window, driven through scripted dialogs, after an
// analysis of the given map folder (or of a small sample map made for the purpose).
//
//   gantrel-screenshot OUTPUT.png [MAP_FOLDER [TAB]]
//
// TAB is the index of the page shown, 0 (the activity log) unless given.

#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "main_window.h"
#include "qt_text.h"
#include "scripted_dialogs.h"
#include "support/sample_map.h"
#include "support/test_support.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: gantrel-screenshot OUTPUT.png [MAP_FOLDER [TAB]]\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);

    QTemporaryDir settings;
    std::optional<gantrel::test::TempDir> sampleFolder;
    std::string map;
    if (argc >= 3) {
        map = argv[2];
    } else {
        sampleFolder.emplace();
        map = gantrel::test::SampleMap(sampleFolder->path()).map.string();
    }

    gantrel::ui::test::ScriptedDialogs dialogs;
    dialogs.chooserAnswers.push_back(map);
    gantrel::ui::MainWindow window(
        dialogs, {gantrel::ui::toNarrow(settings.filePath(QStringLiteral("gantrel.ini")))});
    window.show();
    window.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    if (argc == 4) {
        window.findChild<QTabWidget*>(QStringLiteral("PageControl"))
            ->setCurrentIndex(std::atoi(argv[3]));
    }
    QApplication::processEvents();

    if (!dialogs.errors.empty()) {
        std::fprintf(stderr, "the analysis failed: %s\n", dialogs.errors.front().c_str());
        return 1;
    }
    if (!window.grab().save(output)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
