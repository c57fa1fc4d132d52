// SPDX-License-Identifier: MIT
#include "analysis/found_elsewhere.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace gantrel {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// An installation where the folder Houses_old became Houses (two of its three missing objects
// are there, one with another letter case), trees lie in several places, and one object
// outside the usual folders moved to another folder.
class FoundElsewhereTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* file :
             {"SceneryObjects/Houses/A.SCO", "SceneryObjects/Houses/sub/b.sco",
              "SceneryObjects/Pack/Trees/Oak/tree.sco", "SceneryObjects/Oak/tree.sco",
              "SceneryObjects/x/tree.sco", "SceneryObjects/longername/tree.sco", "Splines/tree.sco",
              "Other/Trees/Oak/tree.sco", "Elsewhere/thing.sco", "Splines/Roads_v2/r.sli",
              "Splines/Roads_v2/s.sli"}) {
            test::writeFile(m_root.path() / file, "x");
        }
    }

    FoundElsewhere find(const Strings& objects, const Strings& splines,
                        const std::function<bool()>& cancel = {})
    {
        return findElsewhere(test::joinPath(m_root.str(), ""), objects, splines, cancel);
    }

    test::TempDir m_root;
};

TEST_F(FoundElsewhereTest, RanksCandidatesAndReportsFolderMovesOnce)
{
    const Strings objects = {"Sceneryobjects\\Houses_old\\a.sco",
                             "Sceneryobjects\\Houses_old\\sub\\b.sco",
                             "Sceneryobjects\\Houses_old\\gone.sco",
                             "Sceneryobjects\\Trees\\Oak\\tree.sco", "Other\\thing.sco"};
    const Strings splines = {"Splines\\Roads\\r.sli", "Splines\\Roads\\s.sli"};
    for (int run = 0; run < 2; ++run) {  // nothing of one search leaks into the next
        const FoundElsewhere found = find(objects, splines);
        EXPECT_FALSE(found.cancelled);
        EXPECT_EQ(found.unlistedFolders, 0u);
        // Shared from the end, then from the start, then the shorter path; an entry below
        // Sceneryobjects is not looked for in Other.
        EXPECT_EQ(found.candidatesOf("Sceneryobjects\\Trees\\Oak\\tree.sco"),
                  (Strings{"SceneryObjects\\Pack\\Trees\\Oak\\tree.sco",
                           "SceneryObjects\\Oak\\tree.sco", "SceneryObjects\\x\\tree.sco",
                           "SceneryObjects\\longername\\tree.sco", "Splines\\tree.sco"}));
        EXPECT_EQ(found.candidatesOf("Sceneryobjects\\Houses_old\\a.sco"),
                  Strings{"SceneryObjects\\Houses\\A.SCO"});
        EXPECT_EQ(found.candidatesOf("Other\\thing.sco"), Strings{"Elsewhere\\thing.sco"});
        EXPECT_TRUE(found.candidatesOf("Sceneryobjects\\Houses_old\\gone.sco").empty());
        ASSERT_EQ(found.entries.size(), 6u);
        EXPECT_EQ(found.entries.front().entry, objects.front());  // in list order
        EXPECT_EQ(found.entries.back().entry, splines.back());

        // The move inside Houses_old (sub\ -> Houses\sub\) is part of the outer one.
        ASSERT_EQ(found.movedFolders.size(), 2u);
        EXPECT_EQ(found.movedFolders[0],
                  (MovedFolder{"Sceneryobjects\\Houses_old\\", "SceneryObjects\\Houses\\", 2, 3,
                               true, false}));
        EXPECT_EQ(movedFolderText(found.movedFolders[1]),
                  test::narrow(u"Splines\\Roads\\ \u2192 Splines\\Roads_v2\\: 2 of 2 missing "
                               u"splines"));
    }
}

TEST_F(FoundElsewhereTest, WalksNothingWithoutMissingEntriesAndSurvivesFoldersItCannotList)
{
    int asked = 0;
    EXPECT_TRUE(find({}, {}, [&] { return ++asked, false; }).entries.empty());
    EXPECT_EQ(asked, 0);

    // The Splines folder goes away after it was listed as an entry of GameRoot.
    const FoundElsewhere found = find({"Sceneryobjects\\Trees\\Oak\\tree.sco"}, {}, [&] {
        if (asked++ == 0) {
            fs::remove_all(m_root.path() / "Splines");
        }
        return false;
    });
    EXPECT_EQ(found.unlistedFolders, 1u);
    EXPECT_EQ(found.candidatesOf("Sceneryobjects\\Trees\\Oak\\tree.sco").size(), 4u);

    const FoundElsewhere cancelled =
        find({"Sceneryobjects\\Trees\\Oak\\tree.sco"}, {}, [] { return true; });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_TRUE(cancelled.entries.empty());
}

}  // namespace
}  // namespace gantrel
