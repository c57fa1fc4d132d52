// SPDX-License-Identifier: MIT
#include "export/export_texts.h"

#include <gtest/gtest.h>

namespace gantrel {
namespace {

TEST(ExportTexts, NoticesAreTheButtonsOwn)
{
    const std::string objects =
        "Notice that this function is merely a helper. The application will also copy original "
        "objects made by KW to the other folder if they were used in your map, but it is not "
        "needed to include them in your map package.";
    EXPECT_EQ(exportNotice(ExportVariant::ShellCopy, ExportList::ObjectFolders), objects);
    EXPECT_EQ(exportNotice(ExportVariant::CommandCopy, ExportList::ObjectFolders), objects);
    EXPECT_EQ(exportNotice(ExportVariant::ShellCopy, ExportList::SplineFolders),
              "Notice that this function is merely a helper. This application will also copy "
              "splines made by KW to the other folder if they were used in your map, but it is "
              "not needed to include them in your map package.");
    EXPECT_EQ(exportNotice(ExportVariant::CommandCopy, ExportList::SplineFolders),
              "Notice: this function is merely a helper. I will also copy original splines made "
              "by KW to the destination folder if they were used in your map, but it is not "
              "needed to include them in your map package.");
}

TEST(ExportTexts, EndMessages)
{
    EXPECT_EQ(exportEndMessage(ExportList::ObjectFolders),
              "Used Scenery Object folders copied successfully.");
    EXPECT_EQ(exportEndMessage(ExportList::SplineFolders),
              "Used Spline folders copied successfully.");
}

TEST(ExportTexts, ReportNamesEachFolderWithItsReason)
{
    EXPECT_EQ(
        failureReport({{"Sceneryobjects\\Gone\\", missingFolderReason("/g/Sceneryobjects\\Gone\\")},
                       {"..\\evil\\", unsafeEntryReason()}}),
        "These folders could not be copied:\n"
        "Sceneryobjects\\Gone\\: no such folder \"/g/Sceneryobjects\\Gone\\\"\n"
        "..\\evil\\: the path leads out of the installation or the destination folder, so "
        "it was not copied");
    // A cause that many folders share is said once, the folders listed under it in order.
    EXPECT_EQ(
        failureReport(
            {{"A\\", "disk full"}, {"B\\", "gone"}, {"C\\", "disk full"}, {"D\\", "disk full"}}),
        "These folders could not be copied:\n"
        "3 folders: disk full\n    A\\\n    C\\\n    D\\\n"
        "B\\: gone");
}

TEST(ExportTexts, CopyFailuresSayStepPathAndReason)
{
    using platform::CopyStep;
    EXPECT_EQ(copyFailureText({CopyStep::WriteFile, "/o/a.sco", "No space left on device"}),
              "cannot write \"/o/a.sco\": No space left on device");
    EXPECT_EQ(copyFailureText({CopyStep::MakeFolder, "/o/T", "Not a directory"}),
              "cannot make the folder \"/o/T\": Not a directory");
    EXPECT_EQ(copyFailureText({CopyStep::ReadFile, "/g/a.sco", "Permission denied"}),
              "cannot read \"/g/a.sco\": Permission denied");
    EXPECT_EQ(copyFailureText({CopyStep::ListFolder, "/g/T/", "Permission denied"}),
              "cannot read the folder \"/g/T/\": Permission denied");
    EXPECT_EQ(copyFailureText({CopyStep::OutsideDestination, "/o/link", ""}),
              "\"/o/link\" leads out of the destination folder");
    EXPECT_EQ(copyFailureText({CopyStep::ShellOperation, "E:\\o\\T\\", "error 0x76"}),
              "the copy to \"E:\\o\\T\\\" failed: error 0x76");
}

TEST(ExportTexts, SummariesCountTheProblemsLeftOut)
{
    EXPECT_EQ(summaryOf({}), "");
    EXPECT_EQ(summaryOf({"one"}), "one");
    EXPECT_EQ(summaryOf({"one", "two"}), "one (and 1 more problem)");
    EXPECT_EQ(summaryOf({"one", "two", "three"}), "one (and 2 more problems)");
    EXPECT_EQ(copierReason("gantrel-copy: cannot write \"/o/a\": Broken\r\ngantrel-copy: b\n\n"),
              "cannot write \"/o/a\": Broken (and 1 more problem)");
    EXPECT_EQ(copierReason("the copier ended with exit status 4"),
              "the copier ended with exit status 4");
}

}  // namespace
}  // namespace gantrel
