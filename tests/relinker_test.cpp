// SPDX-License-Identifier: MIT
#include "cli/relinker.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/test_support.h"

namespace gantrel {
namespace {

namespace fs = std::filesystem;

struct Relink {
    int status;
    std::string out;
    std::string err;
};

Relink relink(const std::vector<std::string>& arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = runRelinker(arguments, out, err);
    return {status, out.str(), err.str()};
}

TEST(Relinker, RelinksAMapAndTellsByItsExitStatusHowFarItGot)
{
    const test::TempDir dir;
    const fs::path map = dir.path() / "maps" / "M";
    test::writeFile(map / "global.cfg", "");
    test::writeFile(map / "ailists.cfg", "");
    test::writeFile(map / "a.map", "Sceneryobjects\\Old\\a.sco\n");
    test::writeFile(map / "b.map", "\xEF\xBB\xBFSceneryobjects\\Old\\b.sco\r\n");
    const std::string folder = test::textOf(map);
    const std::vector<std::string> arguments = {folder, "Sceneryobjects\\Old\\",
                                                "Sceneryobjects\\New\\"};

    std::vector<std::string> dryRun = arguments;
    dryRun.insert(dryRun.begin(), "--dry-run");
    const Relink preview = relink(dryRun);
    EXPECT_EQ(preview.status, kRelinkDone);
    EXPECT_EQ(preview.out,
              "Relink Sceneryobjects\\Old\\\nto Sceneryobjects\\New\\\n\n"
              "2 lines in 2 tiles will change:\n  a.map\n  b.map\n");
    EXPECT_EQ(test::readFile(map / "a.map"), "Sceneryobjects\\Old\\a.sco\n");

    const Relink done = relink(arguments);
    EXPECT_EQ(done.status, kRelinkDone) << done.out;
    EXPECT_EQ(test::readFile(map / "b.map"), "\xEF\xBB\xBFSceneryobjects\\New\\b.sco\r\n");
    EXPECT_NE(done.out.find("Relinked Sceneryobjects\\Old\\ to Sceneryobjects\\New\\: 2 lines in "
                            "2 tiles.\n"),
              std::string::npos);
    EXPECT_NE(done.out.find("Backup: " + folder + ".backup-"), std::string::npos);

    // A name the tile's code page cannot hold leaves that tile alone. On Windows the program's
    // text is that code page itself, so there every name it can be given fits.
    if (!test::unlessPosix("")) {
        const Relink partly = relink(
            {folder, "Sceneryobjects\\New\\a.sco", test::narrow(u"Sceneryobjects\\\u03a9.sco")});
        EXPECT_EQ(partly.status, kRelinkPartly);
        EXPECT_NE(partly.out.find("a.map: the new text cannot be written exactly in the tile's "
                                  "encoding\n"),
                  std::string::npos);
    }

    EXPECT_EQ(relink({test::textOf(dir.path()), "a.sco", "b.sco"}).status, kRelinkFailed);
    EXPECT_EQ(relink({folder, "a.sco", "b.sli"}).status, kRelinkUsage);
    EXPECT_EQ(relink({folder, "a.sco"}).status, kRelinkUsage);
    EXPECT_EQ(relink({"--bogus", folder, "a.sco", "b.sco"}).status, kRelinkUsage);
    EXPECT_TRUE(relink({"--help"}).out.starts_with("Usage: gantrel-relink"));
}

}  // namespace
}  // namespace gantrel
