// SPDX-License-Identifier: MIT
#include "analysis/game_root.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace gantrel {
namespace {

TEST(GameRoot, IsTheFolderThatHoldsTheMapsFolder)
{
    EXPECT_EQ(gameRoot("/games/TELV 2/maps/Demo"), "/games/TELV 2/");
    EXPECT_EQ(gameRoot("/games/TELV 2/maps/"), "/games/TELV 2/");
}

TEST(GameRoot, DoesNotDependOnTheMapsFolderName)
{
    // Dropping a fixed five characters would give "/work/my" here.
    EXPECT_EQ(gameRoot("/work/mymaps/Demo"), "/work/");
    EXPECT_EQ(gameRoot("/work/mymaps/"), "/work/");
}

TEST(GameRoot, StopsAtTheRoot)
{
    EXPECT_EQ(gameRoot("/Demo"), "/");
    EXPECT_EQ(gameRoot("/maps/Demo"), "/");
    EXPECT_EQ(gameRoot("/"), "/");
}

TEST(GameRoot, IsEmptyForAPathWithoutSeparator)
{
    EXPECT_EQ(gameRoot("Demo"), "");
    EXPECT_EQ(gameRoot(""), "");
    EXPECT_EQ(gameRoot("maps/Demo"), "");
    EXPECT_EQ(gameRoot("a/maps/Demo"), "a/");
}

TEST(MapsFolder, CutsAfterTheLastSeparator)
{
    EXPECT_EQ(mapsFolderOf("/games/TELV 2/maps/Demo"), "/games/TELV 2/maps/");
    EXPECT_EQ(mapsFolderOf("/games/TELV 2/maps/"), "/games/TELV 2/maps/");
    EXPECT_EQ(mapsFolderOf("/Demo"), "/");
    EXPECT_EQ(mapsFolderOf("Demo"), "");
}

TEST(GameRoot, DriveLetterPaths)
{
    GANTREL_SKIP_WITH(test::unlessWindows("drive letters"));
    EXPECT_EQ(gameRoot("C:\\Games\\TELV 2\\maps\\Demo"), "C:\\Games\\TELV 2\\");
    EXPECT_EQ(gameRoot("C:\\Games\\TELV 2\\maps\\"), "C:\\Games\\TELV 2\\");
    EXPECT_EQ(mapsFolderOf("C:\\Games\\TELV 2\\maps\\Demo"), "C:\\Games\\TELV 2\\maps\\");
    // Forward slashes are separators too.
    EXPECT_EQ(gameRoot("C:/Games/TELV 2/maps/Demo"), "C:/Games/TELV 2/");
}

TEST(GameRoot, AMapBelowADriveRootHasTheRootAsGameRootAndMapsFolder)
{
    GANTREL_SKIP_WITH(test::unlessWindows("drive letters"));
    EXPECT_EQ(gameRoot("D:\\Demo"), "D:\\");
    EXPECT_EQ(mapsFolderOf("D:\\Demo"), "D:\\");
    EXPECT_EQ(gameRoot("D:\\maps\\Demo"), "D:\\");
    EXPECT_EQ(gameRoot("D:\\"), "D:\\");
    // A path relative to a drive's current folder has no separator to cut at.
    EXPECT_EQ(gameRoot("D:Demo"), "");
}

TEST(GameRoot, NetworkSharesStopAtTheShare)
{
    GANTREL_SKIP_WITH(test::unlessWindows("network share names"));
    EXPECT_EQ(gameRoot("\\\\server\\share\\TELV\\maps\\Demo"), "\\\\server\\share\\TELV\\");
    EXPECT_EQ(gameRoot("\\\\server\\share\\maps\\Demo"), "\\\\server\\share\\");
    EXPECT_EQ(gameRoot("\\\\server\\share\\Demo"), "\\\\server\\share\\");
}

}  // namespace
}  // namespace gantrel
