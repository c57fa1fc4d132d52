#include "common/game_root.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace gantrel
