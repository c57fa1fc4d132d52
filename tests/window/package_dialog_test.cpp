// SPDX-License-Identifier: MIT
#include "window/package_dialog.h"

#include <gtest/gtest.h>

#include "support/sample_map.h"
#include "support/test_support.h"
#include "window/list_menu.h"
#include "window/shortcuts.h"
#include "window/window_operations.h"

namespace gantrel::window {
namespace {

namespace fs = std::filesystem;

// A window without widgets that answers nothing but the map folder chooser.
class PackageFront final : public WindowFront {
public:
    void render() override {}
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void showError(const std::string& message) override { errors.push_back(message); }
    bool chooseMapFolder(const std::string&, const std::string&, std::string& folder) override
    {
        folder = mapFolder;
        return true;
    }
    std::unique_ptr<UserInterface> analysisInterface() override
    {
        return std::make_unique<test::RecordingUi>();
    }
    std::unique_ptr<ExportUi> exportInterface() override { return nullptr; }
    void selectAll(WindowList) override {}
    void setClipboardText(const std::string&) override {}
    void watchCopiers(bool) override {}
    void watchSearch(bool) override {}

    std::string mapFolder;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
};

class PackageDialogTest : public ::testing::Test {
protected:
    PackageDialogTest() : sample(folder.path()), operations(front, settings(), "")
    {
        front.mapFolder = test::textOf(sample.map);
    }
    std::string settings() const { return test::textOf(folder.path() / "gantrel.ini"); }

    // The dialogs, preloaded: the rows each run shows, the unchecking done in the dialog, the
    // save dialog's answer and what it was proposed, and a cancel after some progress calls.
    PackageDialogs dialogs(const std::vector<std::size_t>& uncheck, std::optional<std::string> file,
                           int cancelAfter = -1)
    {
        return {[this, uncheck](PackageDialogModel& model) {
                    std::vector<std::string> shown;
                    for (const PackageRow& row : model.rows()) {
                        shown.push_back((row.checked ? "[x] " : "[ ] ") + row.folder +
                                        (row.present ? "" : " (missing)"));
                    }
                    rows.push_back(shown);
                    model.checkAll();
                    for (const std::size_t row : uncheck) {
                        model.setChecked(row, false);
                    }
                    totals.push_back(model.totalText());
                    return true;
                },
                [this, file](const std::string& in, const std::string& name) {
                    proposed.push_back(in + "|" + name);
                    return file;
                },
                [this, cancelAfter](const PackageProgress&) {
                    return cancelAfter < 0 || ++progressCalls <= cancelAfter;
                }};
    }

    test::TempDir folder;
    test::SampleMap sample;
    PackageFront front;
    WindowOperations operations;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> totals;
    std::vector<std::string> proposed;
    int progressCalls = 0;
};

TEST_F(PackageDialogTest, RemembersTheFoldersNotNeededAndProposesTheLastPackagesFolder)
{
    const test::TempDir out;
    operations.makeMapPackage(dialogs({}, std::nullopt));
    EXPECT_TRUE(rows.empty()) << "offered before a completed run";
    EXPECT_FALSE(operations.packageAvailable());

    operations.chooseAndAnalyse();
    ASSERT_TRUE(operations.packageAvailable());
    const std::string zip = test::textOf(out.path() / "Demo.zip");
    operations.makeMapPackage(dialogs({2}, zip));  // Sceneryobjects\Trees\ not needed
    operations.makeMapPackage(dialogs({}, std::nullopt));
    // The second time the unchecked folder is remembered; a cancelled save writes nothing more.
    const std::string map = "maps\\D\xC3\xA9mo\\";
    EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{
                        {"[x] " + map, "[x] Sceneryobjects\\Houses\\",
                         "[x] Sceneryobjects\\Trees\\", "[x] Splines\\Roads\\"},
                        {"[x] " + map, "[x] Sceneryobjects\\Houses\\",
                         "[ ] Sceneryobjects\\Trees\\", "[x] Splines\\Roads\\"},
                    }));
    EXPECT_EQ(proposed, (std::vector<std::string>{"|D\xC3\xA9mo.zip",
                                                  test::textOf(out.path()) + "|D\xC3\xA9mo.zip"}));
    EXPECT_EQ(totals[0],
              "Total: 6 files, " + sizeText(fs::file_size(sample.map / "tile_0_0.map") +
                                            fs::file_size(sample.map / "tile_1_0.map") + 14));
    ASSERT_EQ(front.messages.size(), 1u);
    EXPECT_TRUE(front.messages[0].starts_with("The map package holds 6 files, "))
        << front.messages[0];
    EXPECT_TRUE(front.messages[0].ends_with(":\n" + zip));
    EXPECT_TRUE(fs::is_regular_file(out.path() / "Demo.zip"));
    EXPECT_TRUE(front.errors.empty());
}

TEST_F(PackageDialogTest, ACancelAnUnreadableFileAndAnUnwritableTargetLeaveNoPackage)
{
    const test::TempDir out;
    operations.chooseAndAnalyse();
    const std::string zip = test::textOf(out.path() / "Demo.zip");
    operations.makeMapPackage(dialogs({}, zip, 1));
    EXPECT_TRUE(front.messages.empty()) << "a cancelled package has no end message";

    operations.makeMapPackage(dialogs({}, test::textOf(out.path() / "gone" / "Demo.zip")));
    ASSERT_EQ(front.errors.size(), 1u);
    EXPECT_TRUE(front.errors[0].starts_with("Unable to write to ")) << front.errors[0];

    if (!test::isWindows()) {
        fs::create_symlink("nowhere.sco", sample.installation / "Sceneryobjects/Houses/gone.sco");
        operations.makeMapPackage(dialogs({}, zip));
        ASSERT_EQ(front.errors.size(), 2u);
        EXPECT_TRUE(front.errors[1].starts_with("Cannot read file \"")) << front.errors[1];
    }
    EXPECT_TRUE(fs::is_empty(out.path()));
}

TEST(PackageDialogModel, MissingFoldersStayUncheckedAndTheMenusOfferThePackage)
{
    PackageDialogModel model({{"maps\\A\\", true, {}, 10}, {"Splines\\Gone\\", false, {}, 0}},
                             {"MAPS/a"});
    model.checkAll();
    EXPECT_TRUE(model.rows()[0].checked);
    EXPECT_FALSE(model.rows()[1].checked);
    model.uncheckAll();
    EXPECT_EQ(model.notNeeded(), std::vector<std::string>{"maps\\A\\"});
    EXPECT_EQ(model.totalText(), "Total: 0 files, 0 bytes");
    EXPECT_EQ(sizeText(1536), "1.5 KB");
    EXPECT_EQ(sizeText(std::uint64_t{5} << 30), "5.0 GB");

    EXPECT_EQ(listMenu(WindowList::ObjectFolders).back().text, std::string("Make Map Package..."));
    EXPECT_EQ(listMenu(WindowList::SplineFolders).back().key, "Ctrl+Shift+P");
    EXPECT_NE(listMenu(WindowList::Objects).back().command, ListCommand::MakeMapPackage);
    for (const char* button : {"scof_copy", "slif_copy", "Button10", "Button11"}) {
        EXPECT_NE(
            buttonToolTip(button).find("Make Map Package... in the list's menu (Ctrl+Shift+P)"),
            std::string::npos)
            << button;
    }
}

}  // namespace
}  // namespace gantrel::window
