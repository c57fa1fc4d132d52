// SPDX-License-Identifier: MIT
#include "window/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/test_support.h"
#include "window/opened_folder.h"

namespace gantrel::window {
namespace {

namespace fs = std::filesystem;

struct Started {
    WindowStart start;
    std::string out;
    std::string err;
};

Started startWith(const std::vector<std::string_view>& arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    WindowStart start = readCommandLine(arguments, out, err);
    return {std::move(start), out.str(), err.str()};
}

TEST(CommandLineTest, AMapFolderOpensAsChosenAndWrongUsageIsOneLine)
{
    const Started plain = startWith({});
    EXPECT_FALSE(plain.start.exitStatus);
    EXPECT_FALSE(plain.start.mapFolder);

    const Started help = startWith({"maps", "--help"});
    EXPECT_EQ(help.start.exitStatus, 0);
    EXPECT_NE(help.out.find("[MAP_FOLDER]"), std::string::npos);

    // Relative to the current folder, without the trailing separator the chooser never gives.
    const std::string current = test::textOf(fs::current_path());
    const Started map = startWith({"--", "-maps/"});
    EXPECT_FALSE(map.start.exitStatus);
    EXPECT_EQ(map.start.mapFolder, test::joinPath(current, "-maps"));
    EXPECT_EQ(asChosenFolder(current + "/"), current);

    for (const auto& wrong : {std::vector<std::string_view>{"-x"}, {"a", "b"}, {"--json", "a"}}) {
        const Started refused = startWith(wrong);
        EXPECT_EQ(refused.start.exitStatus, kWindowUsage);
        EXPECT_TRUE(refused.out.empty());
        EXPECT_EQ(refused.err.find('\n'), refused.err.size() - 1) << refused.err;
        EXPECT_NE(refused.err.find("--help"), std::string::npos) << refused.err;
    }
}

TEST(CommandLineTest, ADropIsTakenOnlyAsOneLocalFolder)
{
    const test::TempDir folder;
    test::writeFile(folder.path() / "tile.map", "");
    const std::string map = folder.str();
    EXPECT_EQ(droppedMapFolder({test::joinPath(map, "")}), map);
    EXPECT_FALSE(droppedMapFolder({test::textOf(folder.path() / "tile.map")}));
    EXPECT_FALSE(droppedMapFolder({map, map}));
    EXPECT_FALSE(droppedMapFolder({""}));
    EXPECT_FALSE(droppedMapFolder({}));
}

}  // namespace
}  // namespace gantrel::window
