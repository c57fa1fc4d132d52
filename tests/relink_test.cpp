// SPDX-License-Identifier: MIT
#include "analysis/relink.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace gantrel {
namespace {

namespace fs = std::filesystem;

class RelinkTest : public ::testing::Test {
protected:
    RelinkTest()
    {
        test::writeFile(tile("a.map"), "Sceneryobjects\\Old\\a.sco\r\nx\r\n");
        test::writeFile(tile("b.map"), test::utf16Bytes(u"Sceneryobjects\\Old\\b.sco\n", true));
        test::writeFile(tile("c.map"), "nothing\n");
    }
    fs::path tile(std::string_view name) const { return m_dir.path() / "maps" / "M" / name; }
    std::vector<std::string> tiles() const
    {
        return {test::textOf(tile("a.map")), test::textOf(tile("b.map")),
                test::textOf(tile("c.map"))};
    }
    std::string backup() const { return test::textOf(m_dir.path() / "maps" / "M.backup"); }

    test::TempDir m_dir;
    const RelinkChange m_change{"Sceneryobjects\\Old\\", "Sceneryobjects\\New\\"};
};

TEST_F(RelinkTest, BacksUpAndRelinksTheTilesThenUndoesIt)
{
    const test::Tree before = test::tree(m_dir.path() / "maps" / "M");
    const RelinkPlan plan = planRelink(tiles(), m_change);
    ASSERT_EQ(plan.tiles.size(), 2u);
    EXPECT_NE(relinkPreviewText(plan).find("2 lines in 2 tiles will change:\n  a.map\n  b.map\n"),
              std::string::npos);

    const RelinkOutcome outcome = applyRelink(plan, backup());
    EXPECT_FALSE(outcome.backupFailed);
    EXPECT_EQ(outcome.relinked.size(), 2u);
    EXPECT_EQ(test::readFile(tile("a.map")), "Sceneryobjects\\New\\a.sco\r\nx\r\n");
    // The backup holds the changed tiles alone, as they were.
    EXPECT_EQ(test::tree(test::pathOf(backup())),
              (test::Tree{{"a.map", before.at("a.map")}, {"b.map", before.at("b.map")}}));
    EXPECT_NE(relinkReportText(plan, outcome).find("Backup: " + backup()), std::string::npos);

    test::writeFile(tile("b.map"), "changed again");
    const UndoOutcome undone = undoRelink(outcome.undo);
    EXPECT_EQ(undone.restored, std::vector<std::string>{tiles()[0]});
    ASSERT_EQ(undone.leftAlone.size(), 1u);
    EXPECT_EQ(undone.leftAlone[0].reason, "changed since the relink");
    EXPECT_EQ(test::readFile(tile("a.map")), before.at("a.map"));
    EXPECT_EQ(test::readFile(tile("b.map")), "changed again");

    // A relink within the same second gets a folder of its own.
    const RelinkOutcome second = applyRelink(planRelink(tiles(), m_change), backup());
    EXPECT_EQ(second.backupFolder, backup() + "-2");
    EXPECT_EQ(undoRelink(second.undo).restored.size(), 1u);
}

TEST_F(RelinkTest, LeavesAloneTilesChangedOnDiskOrReadOnlyAndStopsWithoutABackup)
{
    const RelinkPlan plan = planRelink(tiles(), m_change);
    const test::Tree before = test::tree(m_dir.path() / "maps" / "M");

    // No backup, no change at all.
    test::writeFile(m_dir.path() / "maps" / "file", "");
    const RelinkOutcome stopped =
        applyRelink(plan, test::textOf(m_dir.path() / "maps" / "file" / "backup"));
    EXPECT_TRUE(stopped.backupFailed);
    EXPECT_EQ(test::tree(m_dir.path() / "maps" / "M"), before);

    test::writeFile(tile("a.map"), "Sceneryobjects\\Old\\a.sco\r\nlonger now\r\n");
    fs::permissions(tile("b.map"), fs::perms::owner_read | fs::perms::group_read);
    const RelinkOutcome outcome = applyRelink(plan, backup());
    EXPECT_TRUE(outcome.relinked.empty());
    EXPECT_TRUE(outcome.backupFolder.empty());
    ASSERT_EQ(outcome.leftAlone.size(), 2u);
    EXPECT_EQ(outcome.leftAlone[0].reason, "changed on disk since the analysis");
    EXPECT_EQ(outcome.leftAlone[1].reason, "read-only");
    EXPECT_EQ(test::readFile(tile("b.map")), before.at("b.map"));
    EXPECT_FALSE(fs::exists(test::pathOf(backup())));
    fs::permissions(tile("b.map"), fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace
}  // namespace gantrel
