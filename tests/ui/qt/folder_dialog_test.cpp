// SPDX-License-Identifier: MIT
#include "folder_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "folder_browser.h"
#include "qt_text.h"
#include "support/test_support.h"

namespace gantrel::ui {
namespace {

using namespace gantrel::window;
namespace fs = std::filesystem;

QString prettyPath(const QString& path)
{
    return toQString(prettyCase(toNarrow(path), QDir::separator().toLatin1()));
}

QString native(const fs::path& path)
{
    return QDir::toNativeSeparators(QString::fromStdString(path.string()));
}

QPushButton* okButton(FolderBrowser& window)
{
    return window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}

QPushButton* newFolderButton(FolderBrowser& window)
{
    return window.findChild<QPushButton*>(QStringLiteral("newFolder"));
}

QLabel* pathLine(FolderBrowser& window)
{
    return window.findChild<QLabel*>(QStringLiteral("pathLine"));
}

QTreeView* tree(FolderBrowser& window)
{
    return window.findChild<QTreeView*>(QStringLiteral("tree"));
}

// Selects the folder in the open dialog and waits until the selection has arrived.
void select(FolderBrowser& window, const fs::path& folder, const fs::path& expected = {})
{
    const QString wanted = native(expected.empty() ? folder : expected);
    window.selectFolder(native(folder));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.selectedFolder() == wanted; }))
        << "selected " << window.selectedFolder().toStdString();
}

// A FolderDialog whose openings are scripted: each opening runs the next step once the dialog
// is initialised, and the name prompt and the message box answer from lists.
class FolderDialogTest : public ::testing::Test {
protected:
    using Step = std::function<void(FolderBrowser&)>;

    FolderDialogTest()
    {
        FolderDialog::forgetRememberedPosition();
        fs::create_directories(maps / "Demo");
        fs::create_directories(maps / "Other");
        prepare(dialog);
    }
    ~FolderDialogTest() override { FolderDialog::forgetRememberedPosition(); }

    void prepare(FolderDialog& target)
    {
        target.setOnInitialized([this, &target] {
            FolderBrowser& window = *target.window();
            if (steps.empty()) {
                ADD_FAILURE() << "an opening nobody expected";
                window.reject();
                return;
            }
            const Step step = std::move(steps.front());
            steps.pop_front();
            step(window);
        });
        target.setNamePrompt([this](const QString& title) -> std::optional<QString> {
            promptTitles.push_back(title);
            if (answers.empty()) {
                return std::nullopt;
            }
            std::optional<QString> answer = answers.front();
            answers.pop_front();
            return answer;
        });
        target.setMessageBox([this](const QString& text) { messages.push_back(text); });
    }

    bool run(std::deque<Step> openings, FolderDialog& target)
    {
        steps = std::move(openings);
        const bool confirmed = target.execute();
        EXPECT_TRUE(steps.empty()) << steps.size() << " openings did not come";
        return confirmed;
    }
    bool run(std::deque<Step> openings) { return run(std::move(openings), dialog); }

    gantrel::test::TempDir folder;
    fs::path maps = folder.path() / "TELV 2" / "maps";
    FolderDialog dialog{nullptr, languageKeysFor(0x0409)};
    std::deque<Step> steps;
    std::deque<std::optional<QString>> answers;
    std::vector<QString> promptTitles;
    std::vector<QString> messages;
};

TEST_F(FolderDialogTest, WithItsDefaultsTheDialogBehavesAsTheyPromise)
{
    // The shell's flags the defaults stand for, as a host's script reads them.
    EXPECT_EQ(dialog.browseFlags(), 0x0045u);
    // The whole file system, resizable, with the path line in pretty case, a new-folder button,
    // the default captions and title, and a clicked folder opening its branch.
    const fs::path chosen = maps / "MyMap.OLD";
    fs::create_directories(chosen / "Inside");
    ASSERT_TRUE(run({[&](FolderBrowser& window) {
        EXPECT_TRUE(window.options().rootFolder.isEmpty());
        EXPECT_TRUE(window.options().startFolder.isEmpty());
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Browse for Folder"));
        EXPECT_NE(window.minimumSize(), window.maximumSize());
        EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("instruction"))->text(),
                  QStringLiteral("Current folder:"));
        ASSERT_NE(newFolderButton(window), nullptr);
        EXPECT_EQ(newFolderButton(window)->text(), QStringLiteral("New folder"));
        select(window, maps);
        QTreeView& view = *tree(window);
        auto* model = qobject_cast<QFileSystemModel*>(view.model());
        const QModelIndex folder = model->index(native(chosen));
        view.collapse(folder);
        view.scrollTo(folder);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(folder).center());
        EXPECT_EQ(window.selectedFolder(), native(chosen));
        EXPECT_TRUE(view.isExpanded(folder));
        ASSERT_NE(pathLine(window), nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return pathLine(window)->text().endsWith(QStringLiteral("Mymap.old"));
        })) << pathLine(window)->text().toStdString();
        window.accept();
    }}));
    EXPECT_EQ(dialog.folder(), chosen.string());
    EXPECT_EQ(dialog.labelCaptions(), defaultLabelCaptions());
    EXPECT_EQ(dialog.newFolderCaptions(), defaultNewFolderCaptions());
    dialog.setVersion(QStringLiteral("1.0"));
    EXPECT_EQ(dialog.version(), QStringLiteral("10.00.00.00"));
}

TEST_F(FolderDialogTest, CaptionsFollowTheLanguageKeysAndTheirLists)
{
    const FolderDialog german(nullptr, languageKeysFor(0x0407));
    EXPECT_EQ(german.labelCaption(), QString::fromUtf8("Ausgewählter Ordner:"));
    EXPECT_EQ(german.newFolderCaption(), QStringLiteral("Neuer Ordner"));
    const FolderDialog spanish(nullptr, languageKeysFor(0x0C0A));
    EXPECT_EQ(spanish.labelCaption(), QStringLiteral("Current folder:"));
    const FolderDialog unknown(nullptr, LanguageKeys{});
    EXPECT_EQ(unknown.newFolderCaption(), QStringLiteral("New folder"));

    dialog.setLabelCaptions({{"0009", "Target:"}});
    EXPECT_EQ(dialog.labelCaption(), QStringLiteral("Target:"));
    dialog.setNewFolderCaptions({});
    EXPECT_EQ(dialog.newFolderCaption(), QString());
}

TEST_F(FolderDialogTest, FirstOpeningPreselectsNothingAndTheConfirmedFolderComesBack)
{
    const fs::path chosen = maps / "MyMap.OLD";
    fs::create_directories(chosen);
    ASSERT_TRUE(run({[&](FolderBrowser& window) {
        EXPECT_TRUE(window.options().startFolder.isEmpty());
        EXPECT_TRUE(window.selectedFolder().isEmpty());
        EXPECT_FALSE(okButton(window)->isEnabled());
        EXPECT_FALSE(newFolderButton(window)->isEnabled());
        EXPECT_EQ(newFolderButton(window)->text(), QStringLiteral("New folder"));
        EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("instruction"))->text(),
                  QStringLiteral("Current folder:"));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Browse for Folder"));
        EXPECT_NE(window.minimumSize(), window.maximumSize());

        select(window, chosen);
        EXPECT_TRUE(okButton(window)->isEnabled());
        EXPECT_TRUE(newFolderButton(window)->isEnabled());
        window.accept();
    }}));
    const QString pretty = prettyPath(native(chosen));
    const std::string expected = chosen.string();
    EXPECT_EQ(dialog.folder(), expected);
    EXPECT_EQ(dialog.selectedFolder(), expected);
    EXPECT_EQ(dialog.displayText(), pretty);
    EXPECT_TRUE(dialog.displayText().endsWith(QStringLiteral("Mymap.old")));

    ASSERT_TRUE(run({[&](FolderBrowser& window) {
        EXPECT_EQ(window.selectedFolder(), native(chosen));
        EXPECT_TRUE(tree(window)->isExpanded(tree(window)->currentIndex()));
        window.accept();
    }}));
    EXPECT_EQ(dialog.folder(), expected);
}

TEST_F(FolderDialogTest, CancelReturnsFalseAndLeavesFolderUnchanged)
{
    dialog.setFolder((maps / "Demo").string());
    EXPECT_FALSE(run({[&](FolderBrowser& window) {
        select(window, maps / "Other");
        window.reject();
    }}));
    EXPECT_EQ(dialog.folder(), (maps / "Demo").string());
    EXPECT_EQ(dialog.selectedFolder(), (maps / "Other").string());
}

TEST_F(FolderDialogTest, DeletedDestinationIsMadeAgainEmptyAndPreselected)
{
    const fs::path destination = maps / "Packs" / "Export";
    fs::create_directories(destination / "Sceneryobjects");
    dialog.setFolder(destination.string());
    fs::remove_all(maps / "Packs");

    ASSERT_TRUE(run({[&](FolderBrowser& window) {
        EXPECT_TRUE(fs::is_directory(destination));
        EXPECT_TRUE(fs::is_empty(destination));
        EXPECT_EQ(window.selectedFolder(), native(destination));
        window.accept();
    }}));
    EXPECT_EQ(dialog.folder(), destination.string());

    // A folder text that names a file is left alone and preselects nothing.
    gantrel::test::writeFile(maps / "notes.txt", "x");
    dialog.setFolder((maps / "notes.txt").string());
    EXPECT_FALSE(run({[&](FolderBrowser& window) {
        EXPECT_TRUE(window.options().startFolder.isEmpty());
        window.reject();
    }}));
    EXPECT_TRUE(fs::is_regular_file(maps / "notes.txt"));
}

TEST_F(FolderDialogTest, NewFolderIsMadeAndPreselectedWhenTheDialogOpensAgain)
{
    const fs::path made = maps / "Demo" / "Pack" / "Objects";
    answers = {std::nullopt, QString(),
               QStringLiteral("Pack") + QDir::separator() + QStringLiteral("Objects")};
    ASSERT_TRUE(run({[&](FolderBrowser& window) {
                         select(window, maps / "Demo");
                         // A cancelled prompt and an empty name change nothing.
                         newFolderButton(window)->click();
                         newFolderButton(window)->click();
                         EXPECT_TRUE(window.isVisible());
                         newFolderButton(window)->click();
                     },
                     [&](FolderBrowser& window) {
                         EXPECT_EQ(window.options().startFolder, native(made));
                         EXPECT_EQ(window.selectedFolder(), native(made));
                         window.accept();
                     }}));
    EXPECT_EQ(promptTitles, std::vector<QString>(3, QStringLiteral("New folder")));
    EXPECT_TRUE(fs::is_directory(made));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(dialog.folder(), made.string());
}

TEST_F(FolderDialogTest, NewFolderThatCannotBeMadeIsReportedAndNothingIsPreselected)
{
    gantrel::test::writeFile(maps / "Demo" / "blocker", "a file");
    answers = {QStringLiteral("blocker"),
               QStringLiteral("blocker") + QDir::separator() + QStringLiteral("below")};
    dialog.setFolder((maps / "Demo").string());
    EXPECT_FALSE(run({[&](FolderBrowser& window) { newFolderButton(window)->click(); },
                      [&](FolderBrowser& window) {
                          EXPECT_TRUE(window.options().startFolder.isEmpty());
                          select(window, maps / "Demo");
                          newFolderButton(window)->click();
                      },
                      [&](FolderBrowser& window) {
                          EXPECT_TRUE(window.options().startFolder.isEmpty());
                          window.reject();
                      }}));
    EXPECT_EQ(messages,
              std::vector<QString>(2, QStringLiteral("The directory or file cannot be created.")));
    EXPECT_TRUE(fs::is_regular_file(maps / "Demo" / "blocker"));
    EXPECT_EQ(dialog.folder(), (maps / "Demo").string());
}

TEST_F(FolderDialogTest, OpensCentredThenWhereTheUserMovedIt)
{
    const QPoint moved(37, 29);
    EXPECT_FALSE(run({[&](FolderBrowser& window) {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QSize size = window.frameGeometry().size();
        EXPECT_EQ(window.pos(), QPoint((screen.width() - size.width()) / 2,
                                       (screen.height() - size.height()) / 2));
        window.move(moved);
        EXPECT_TRUE(QTest::qWaitFor([&] { return window.pos() == moved; }));
        window.reject();
    }}));
    EXPECT_FALSE(run({[&](FolderBrowser& window) {
        EXPECT_EQ(window.pos(), moved);
        window.reject();
    }}));

    FolderDialog another(nullptr, languageKeysFor(0x0409));
    prepare(another);
    EXPECT_FALSE(run({[&](FolderBrowser& window) {
                         EXPECT_EQ(window.pos(), moved);
                         window.reject();
                     }},
                     another));
}

TEST_F(FolderDialogTest, LinkToAFolderSelectsItsTarget)
{
    const fs::path link = maps / "Shortcut";
    fs::create_directory_symlink(maps / "Demo", link);
    ASSERT_TRUE(run({[&](FolderBrowser& window) {
        select(window, link, maps / "Demo");
        window.accept();
    }}));
    EXPECT_EQ(dialog.folder(), (maps / "Demo").string());

    dialog.setFlags(dialog.flags() | bfDontBrowseShortcuts);
    ASSERT_TRUE(run({[&](FolderBrowser& window) {
        select(window, link);
        window.accept();
    }}));
    EXPECT_EQ(dialog.folder(), link.string());
}

TEST_F(FolderDialogTest, OkAndNewFolderOnlyWhileTheSelectionHasAPath)
{
    int changes = 0;
    dialog.setOnSelectionChanged([&] { ++changes; });
    EXPECT_FALSE(run({[&](FolderBrowser& window) {
        select(window, maps / "Demo");
        EXPECT_EQ(dialog.selectedFolder(), (maps / "Demo").string());
        EXPECT_EQ(pathLine(window)->text(), dialog.displayText());
        tree(window)->setCurrentIndex({});
        EXPECT_EQ(dialog.selectedFolder(), "");
        EXPECT_FALSE(okButton(window)->isEnabled());
        EXPECT_FALSE(newFolderButton(window)->isEnabled());
        EXPECT_EQ(pathLine(window)->text(), QString());
        window.reject();
    }}));
    EXPECT_GE(changes, 2);

    // Any other kind of item may always be confirmed.
    dialog.setBrowseFor(BrowseFor::bfAll);
    EXPECT_FALSE(run({[&](FolderBrowser& window) {
        select(window, maps / "Demo");
        tree(window)->setCurrentIndex({});
        EXPECT_TRUE(okButton(window)->isEnabled());
        EXPECT_FALSE(newFolderButton(window)->isEnabled());
        window.reject();
    }}));
}

TEST_F(FolderDialogTest, PathLineShowsThePrettyPathShortenedToFit)
{
    const fs::path deep = maps / "a rather long folder name" / "another long folder name" / "Last";
    fs::create_directories(deep);
    EXPECT_FALSE(run({[&](FolderBrowser& window) {
        select(window, deep);
        QLabel& line = *pathLine(window);
        const QString full = prettyPath(native(deep));
        window.resize(1600, window.height());
        EXPECT_TRUE(QTest::qWaitFor([&] { return line.text() == full; }))
            << line.text().toStdString();

        window.resize(window.minimumWidth(), window.height());
        EXPECT_TRUE(QTest::qWaitFor([&] { return line.text() != full; }));
        const QString shown = line.text();
        EXPECT_TRUE(shown.endsWith(QDir::separator() + QStringLiteral("Last")) ||
                    shown == QStringLiteral("Last"));
        EXPECT_TRUE(shown.contains(QStringLiteral("...")));
        EXPECT_LE(QFontMetrics(line.font()).horizontalAdvance(shown),
                  line.contentsRect().width() - 8);
        EXPECT_EQ(window.pathText(), full);
        window.reject();
    }}));
}

TEST_F(FolderDialogTest, FlagsAndTitlesShapeTheWindow)
{
    dialog.setTitles({{"Default", "Choose a destination"}});
    dialog.setFlags(bfHideNewFolderButton);
    EXPECT_FALSE(run({[&](FolderBrowser& window) {
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Choose a destination"));
        EXPECT_EQ(window.minimumSize(), window.maximumSize());
        EXPECT_EQ(newFolderButton(window), nullptr);
        EXPECT_EQ(pathLine(window), nullptr);
        window.reject();
    }}));

    dialog.setTitles({});
    dialog.setFlags(bfShowPath);
    dialog.setExtraFlags({});
    const fs::path upper = maps / "UPPER";
    fs::create_directories(upper);
    ASSERT_TRUE(run({[&](FolderBrowser& window) {
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Browse for Folder"));
        EXPECT_NE(newFolderButton(window), nullptr);
        select(window, upper);
        EXPECT_EQ(pathLine(window)->text().right(5), QStringLiteral("UPPER"));
        window.accept();
    }}));
    EXPECT_EQ(dialog.folder(), upper.string());
}

TEST_F(FolderDialogTest, ClickedFolderOpensItsBranchOnlyWithAutoExpand)
{
    fs::create_directories(maps / "Demo" / "Inside");
    for (const bool autoExpand : {true, false}) {
        dialog.setExtraFlags(autoExpand ? ExtraFlagSet(efAutoExpandTree) : ExtraFlagSet());
        EXPECT_FALSE(run({[&](FolderBrowser& window) {
            select(window, maps / "Other");
            QTreeView& view = *tree(window);
            auto* model = qobject_cast<QFileSystemModel*>(view.model());
            const QModelIndex demo = model->index(native(maps / "Demo"));
            view.collapse(demo);
            view.scrollTo(demo);
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(demo).center());
            EXPECT_EQ(window.selectedFolder(), native(maps / "Demo"));
            EXPECT_EQ(view.isExpanded(demo), autoExpand);
            window.reject();
        }}));
    }
}

TEST_F(FolderDialogTest, TypedNameIsValidatedThroughTheHandler)
{
    std::vector<QString> rejected;
    bool closeOnFailure = false;
    dialog.setFlags(dialog.flags() | bfEditBox | bfValidate);
    dialog.setOnValidateFailed([&](const QString& typed) {
        rejected.push_back(typed);
        return closeOnFailure;
    });
    ASSERT_TRUE(run({[&](FolderBrowser& window) {
        select(window, maps / "Demo");
        auto* edit = window.findChild<QLineEdit*>(QStringLiteral("editBox"));
        EXPECT_EQ(edit->text(), QStringLiteral("Demo"));
        edit->setText(QStringLiteral("Nowhere"));
        okButton(window)->click();
        EXPECT_TRUE(window.isVisible());
        edit->setText(QStringLiteral("Other"));
        okButton(window)->click();
    }}));
    EXPECT_EQ(rejected, std::vector<QString>{QStringLiteral("Nowhere")});
    EXPECT_EQ(dialog.folder(), (maps / "Other").string());

    closeOnFailure = true;
    EXPECT_FALSE(run({[&](FolderBrowser& window) {
        select(window, maps / "Demo");
        window.findChild<QLineEdit*>(QStringLiteral("editBox"))->setText(QStringLiteral("Gone"));
        okButton(window)->click();
    }}));
    EXPECT_EQ(dialog.folder(), (maps / "Other").string());
}

TEST_F(FolderDialogTest, IncludeItemHandlerHidesTheFoldersItRejects)
{
    dialog.setOnXPIncludeItem(
        [](const QString& folder) { return !folder.endsWith(QStringLiteral("Other")); });
    EXPECT_FALSE(run({[&](FolderBrowser& window) {
        select(window, maps / "Demo");
        QTreeView& view = *tree(window);
        auto* model = qobject_cast<QFileSystemModel*>(view.model());
        const QModelIndex other = model->index(native(maps / "Other"));
        const QModelIndex demo = model->index(native(maps / "Demo"));
        EXPECT_TRUE(view.isRowHidden(other.row(), other.parent()));
        EXPECT_FALSE(view.isRowHidden(demo.row(), demo.parent()));
        window.reject();
    }}));
}

TEST(LanguageKeysTest, LocalesMapOntoTheirLanguageIdentifiers)
{
    EXPECT_EQ(languageIdOf(QStringLiteral("de_DE")), 0x0407);
    EXPECT_EQ(languageIdOf(QStringLiteral("de_CH")), 0x0807);
    EXPECT_EQ(languageIdOf(QStringLiteral("de-AT")), 0x0C07);
    // Qt lists user interface languages with their script.
    EXPECT_EQ(languageIdOf(QStringLiteral("de-Latn-CH")), 0x0807);
    EXPECT_EQ(languageIdOf(QStringLiteral("en_GB")), 0x0809);
    EXPECT_EQ(languageIdOf(QStringLiteral("en_ZA")), 0x1C09);
    EXPECT_EQ(languageIdOf(QStringLiteral("fr_CH")), 0x100C);
    EXPECT_EQ(languageIdOf(QStringLiteral("pt_BR")), 0x0416);
    EXPECT_EQ(languageIdOf(QStringLiteral("pl_PL")), 0x0415);
    EXPECT_EQ(languageIdOf(QStringLiteral("es_ES")), 0x0C0A);
    EXPECT_EQ(languageIdOf(QStringLiteral("nl")), 0x0013);
    EXPECT_EQ(languageIdOf(QStringLiteral("C")), std::nullopt);
    EXPECT_EQ(languageIdOf(QString()), std::nullopt);
}

}  // namespace
}  // namespace gantrel::ui
