// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "support/test_support.h"

namespace gantrel {
namespace {

namespace fs = std::filesystem;
using platform::readProfileString;
using platform::writeProfileString;
using test::narrow;
using test::readFile;
using test::TempDir;
using test::writeFile;

constexpr std::size_t kLimit = 2047;

class ProfileTest : public ::testing::Test {
protected:
    std::string file(std::string_view content)
    {
        writeFile(m_file, content);
        return m_file.string();
    }
    std::string read(std::string_view section = "mapfolder", std::string_view key = "path") const
    {
        return readProfileString(m_file.string(), section, key, kLimit);
    }
    bool write(std::string_view value, std::string_view section = "mapfolder")
    {
        return writeProfileString(m_file.string(), section, "path", value);
    }
    std::string content() const { return readFile(m_file); }

    std::size_t entriesInFolder() const
    {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(m_dir.path()), fs::directory_iterator()));
    }

    TempDir m_dir;
    fs::path m_file = m_dir.path() / "gantrel.ini";
};

// ---- Reading -------------------------------------------------------------------------------

TEST_F(ProfileTest, MissingFileSectionOrKeyReadsEmpty)
{
    EXPECT_EQ(read(), "");
    file("[other]\npath=/x/\n");
    EXPECT_EQ(read(), "");
    file("[mapfolder]\nfolder=/x/\n");
    EXPECT_EQ(read(), "");
    // A key before any section belongs to none.
    file("path=/x/\n[mapfolder]\n");
    EXPECT_EQ(read(), "");
    // A folder where the file should be is no file.
    fs::remove(m_file);
    fs::create_directory(m_file);
    EXPECT_EQ(read(), "");
}

TEST_F(ProfileTest, NamesMatchWithoutRegardToCase)
{
    file("[MapFolder]\nPATH=/maps/\n");
    EXPECT_EQ(read(), "/maps/");
    EXPECT_EQ(read("MAPFOLDER", "Path"), "/maps/");
}

TEST_F(ProfileTest, FirstSectionAndFirstKeyWin)
{
    file("[mapfolder]\npath=/first/\npath=/second/\n[MAPFOLDER]\npath=/third/\n");
    EXPECT_EQ(read(), "/first/");
    // The key of a later section of the same name is not seen.
    file("[mapfolder]\nother=1\n[mapfolder]\npath=/later/\n");
    EXPECT_EQ(read(), "");
}

TEST_F(ProfileTest, BlanksQuotesAndCommentsFollowTheNativeRules)
{
    file("  [ mapfolder ]  \n\t path \t=  /with blanks/  \n");
    EXPECT_EQ(read(), "/with blanks/");
    file("[mapfolder]\npath=\"  /quoted/ \"\n");
    EXPECT_EQ(read(), "  /quoted/ ");
    file("[mapfolder]\npath='/single/'\n");
    EXPECT_EQ(read(), "/single/");
    // Quotes that do not pair up stay.
    file("[mapfolder]\npath=\"/open/'\n");
    EXPECT_EQ(read(), "\"/open/'");
    file("[mapfolder]\npath=\"\n");
    EXPECT_EQ(read(), "\"");
    file("[mapfolder]\n;path=/commented/\n  ; path=/also/\npath=/real/\n");
    EXPECT_EQ(read(), "/real/");
    file("[mapfolder]\npath=/a=b/\n");
    EXPECT_EQ(read(), "/a=b/");
}

TEST_F(ProfileTest, WindowsWrittenFileIsRead)
{
    // CR LF lines and Windows-1252 text: E9 is e acute, 80 the euro sign.
    file("[mapfolder]\r\npath=C:\\Spiele\\Caf\xE9 \x80\\maps\\\r\n");
    EXPECT_EQ(read(), narrow(u"C:\\Spiele\\Caf\u00e9 \u20ac\\maps\\"));
}

TEST_F(ProfileTest, Utf8ValuesAndMarkAreKept)
{
    GANTREL_SKIP_WITH(test::unlessPosix(
        "how the native Windows reader takes a UTF-8 mark depends on the Windows version"));
    file("\xEF\xBB\xBF[mapfolder]\npath=/Caf\xC3\xA9/\n");
    EXPECT_EQ(read(), "/Caf\xC3\xA9/");
}

TEST_F(ProfileTest, LongValueIsCutAtACharacterBoundary)
{
    const std::string ascii(3000, 'a');
    file("[mapfolder]\npath=" + ascii + "\n");
    EXPECT_EQ(read(), ascii.substr(0, kLimit));

    if (!test::isWindows()) {  // the ANSI code page has a byte a character
        // 2,046 bytes, then a two-byte character that would end at byte 2,048.
        const std::string split = std::string(2046, 'a') + "\xC3\xA9" + "zzz";
        file("[mapfolder]\npath=" + split + "\n");
        EXPECT_EQ(read(), std::string(2046, 'a'));

        const std::string fits = std::string(2045, 'a') + "\xC3\xA9" + "zzz";
        file("[mapfolder]\npath=" + fits + "\n");
        EXPECT_EQ(read(), fits.substr(0, kLimit));
    }

    file("[mapfolder]\npath=abc\n");
    EXPECT_EQ(readProfileString(m_file.string(), "mapfolder", "path", 0), "");
}

// ---- Writing -------------------------------------------------------------------------------

TEST_F(ProfileTest, NewFileHoldsHeaderAndKey)
{
    ASSERT_TRUE(write("/home/me/TELV 2/maps/"));
    const std::string_view lineBreak = test::newProfileLineBreak();
    EXPECT_EQ(content(), "[mapfolder]" + std::string(lineBreak) + "path=/home/me/TELV 2/maps/" +
                             std::string(lineBreak));
    EXPECT_EQ(read(), "/home/me/TELV 2/maps/");
    EXPECT_EQ(entriesInFolder(), 1u);
}

TEST_F(ProfileTest, ReplacingAKeyLeavesEveryOtherByteAlone)
{
    const std::string before = "; Gantrel settings\n\n[window]\npath=/not/this/\n\n";
    const std::string after = "\n[other]\r\nkey = value \n; last\n";
    file(before + "[MapFolder]\nkeep=1\n  PATH = \"/old/\"  \nkeep=2\n" + after);

    ASSERT_TRUE(write("/new/"));
    if (!test::isWindows()) {  // the native writer lays the file out in its own way
        EXPECT_EQ(content(), before + "[MapFolder]\nkeep=1\npath=/new/\nkeep=2\n" + after);
    }
    EXPECT_EQ(read(), "/new/");
    EXPECT_EQ(read("window"), "/not/this/");
    EXPECT_EQ(read("other", "key"), "value");
    EXPECT_EQ(read("MapFolder", "keep"), "1");
}

TEST_F(ProfileTest, RepeatedWritesReadBackTheLastValue)
{
    ASSERT_TRUE(write("/one/"));
    ASSERT_TRUE(write(narrow(u"/Caf\u00e9 two/")));
    EXPECT_EQ(read(), narrow(u"/Caf\u00e9 two/"));
    ASSERT_TRUE(write(""));
    EXPECT_EQ(read(), "");
    const std::string lineBreak(test::newProfileLineBreak());
    EXPECT_EQ(content(), "[mapfolder]" + lineBreak + "path=" + lineBreak);
    EXPECT_EQ(entriesInFolder(), 1u);
}

TEST_F(ProfileTest, MissingKeyGoesAfterTheSectionsLastFilledLine)
{
    GANTREL_SKIP_WITH(
        test::unlessPosix("the native Windows writer lays the file out in its own way"));
    file("[mapfolder]\nother=1\n; note\n\n\n[next]\na=b\n");
    ASSERT_TRUE(write("/x/"));
    EXPECT_EQ(content(), "[mapfolder]\nother=1\n; note\npath=/x/\n\n\n[next]\na=b\n");

    file("[mapfolder]");
    ASSERT_TRUE(write("/x/"));
    EXPECT_EQ(content(), "[mapfolder]\npath=/x/\n");
}

TEST_F(ProfileTest, MissingSectionIsAppended)
{
    for (const char* before : {"[other]\na=b", "[other]\na=b\n"}) {
        file(before);
        ASSERT_TRUE(write("/x/"));
        if (!test::isWindows()) {  // the native writer lays the file out in its own way
            EXPECT_EQ(content(), "[other]\na=b\n[mapfolder]\npath=/x/\n");
        }
        EXPECT_EQ(read(), "/x/");
        EXPECT_EQ(read("other", "a"), "b");
    }
}

TEST_F(ProfileTest, NewLinesUseTheFilesLineEnding)
{
    GANTREL_SKIP_WITH(
        test::unlessPosix("the native Windows writer lays the file out in its own way"));
    file("[other]\r\na=b\r\n");
    ASSERT_TRUE(write("C:\\maps\\"));
    EXPECT_EQ(content(), "[other]\r\na=b\r\n[mapfolder]\r\npath=C:\\maps\\\r\n");

    file("[mapfolder]\r\nother=\xE9\r\n");
    ASSERT_TRUE(write("C:\\maps\\"));
    EXPECT_EQ(content(), "[mapfolder]\r\nother=\xE9\r\npath=C:\\maps\\\r\n");

    // Only the first line decides.
    file("[other]\na=b\r\n");
    ASSERT_TRUE(write("/x/"));
    EXPECT_EQ(content(), "[other]\na=b\r\n[mapfolder]\npath=/x/\n");

    // A last line that ends in a lone CR keeps its value: the break is completed, not doubled.
    for (const char* section : {"other", "mapfolder"}) {
        file("[" + std::string(section) + "]\r\na=b\r");
        ASSERT_TRUE(write("/x/"));
        EXPECT_EQ(read(section, "a"), "b");
        EXPECT_EQ(read(), "/x/");
    }
}

TEST_F(ProfileTest, WindowsWrittenFileIsUpdatedInPlace)
{
    GANTREL_SKIP_WITH(
        test::unlessPosix("the native Windows writer lays the file out in its own way"));
    file("[mapfolder]\r\npath=C:\\Caf\xE9\\maps\\\r\n[window]\r\nname=\xE9t\xE9\r\n");
    ASSERT_TRUE(write("/maps/"));
    EXPECT_EQ(content(), "[mapfolder]\r\npath=/maps/\r\n[window]\r\nname=\xE9t\xE9\r\n");
}

TEST_F(ProfileTest, PermissionsAreKept)
{
    GANTREL_SKIP_WITH(test::unlessPosix("what the POSIX writer keeps of a file: its permissions"));
    file("[mapfolder]\npath=/x/\n");
    fs::permissions(m_file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(write("/y/"));
    EXPECT_EQ(fs::status(m_file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ProfileTest, SymbolicLinkKeepsPointingAtTheWrittenFile)
{
    GANTREL_SKIP_WITH(test::unlessPosix(
        "making symbolic links on Windows takes a privilege that tests do not have"));
    const fs::path real = m_dir.path() / "real.ini";
    writeFile(real, "[mapfolder]\npath=/x/\n");
    fs::create_symlink(real, m_file);
    ASSERT_TRUE(write("/y/"));
    EXPECT_TRUE(fs::is_symlink(m_file));
    EXPECT_EQ(readFile(real), "[mapfolder]\npath=/y/\n");
}

TEST_F(ProfileTest, OnlyARegularFileOfAtMostOneMebibyteIsRead)
{
    GANTREL_SKIP_WITH(test::unlessPosix("named pipes and devices"));
#ifndef _WIN32
    const test::HangGuard guard(60);
    // A named pipe without a writer blocked the read and the write for ever.
    ASSERT_EQ(::mkfifo(m_file.c_str(), 0600), 0);
    EXPECT_EQ(read(), "");
    EXPECT_FALSE(write("/maps/"));
    EXPECT_EQ(fs::symlink_status(m_file).type(), fs::file_type::fifo);
    // /dev/zero was read until the memory ran out.
    fs::remove(m_file);
    fs::create_symlink("/dev/zero", m_file);
    EXPECT_EQ(read(), "");
    fs::remove(m_file);
    file("[mapfolder]\npath=/maps/\n;" + std::string(1 << 20, '-'));
    EXPECT_EQ(read(), "");
#endif
}

TEST_F(ProfileTest, UnwritablePlaceFailsWithoutLeavingFiles)
{
    // A regular file where the folder should be stops even the superuser.
    writeFile(m_dir.path() / "file.txt", "plain");
    const std::string inside = (m_dir.path() / "file.txt" / "gantrel.ini").string();
    EXPECT_FALSE(writeProfileString(inside, "mapfolder", "path", "/x/"));
    EXPECT_EQ(readFile(m_dir.path() / "file.txt"), "plain");

    // A folder where the file should be is not replaced.
    fs::create_directory(m_file);
    EXPECT_FALSE(write("/x/"));
    EXPECT_TRUE(fs::is_directory(m_file));
    EXPECT_EQ(entriesInFolder(), 2u);
}

TEST_F(ProfileTest, FailedWriteKeepsTheOldFileWhole)
{
    GANTREL_SKIP_WITH(test::unlessPosix("a file-size limit is a POSIX resource limit"));
#ifndef _WIN32
    const std::string old = "[mapfolder]\npath=/old/\n";
    file(old);
    // A file-size limit makes the write fail partway, as a full disk would.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = write(std::string(100, 'n'));
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(content(), old);
    EXPECT_EQ(entriesInFolder(), 1u);
#endif
}

TEST_F(ProfileTest, ARelativeFileNameIsFoundInTheCurrentFolder)
{
    // Not in the system's own folder, where the native routines look for a bare name.
    const fs::path previous = fs::current_path();
    fs::current_path(m_dir.path());
    const bool written = writeProfileString("gantrel.ini", "mapfolder", "path", "/rel/");
    const std::string value = readProfileString("gantrel.ini", "mapfolder", "path", kLimit);
    fs::current_path(previous);
    ASSERT_TRUE(written);
    EXPECT_EQ(value, "/rel/");
    EXPECT_EQ(read(), "/rel/");
}

TEST_F(ProfileTest, EightBitValuesRoundTrip)
{
    const std::string value = narrow(u"C:\\Spiele\\Caf\u00e9 \u20ac\\\u00c4\\maps\\");
    ASSERT_TRUE(write(value));
    EXPECT_EQ(read(), value);
    ASSERT_TRUE(write(value, "other"));
    EXPECT_EQ(read("other"), value);
    // On Windows the file holds the ANSI code page's bytes, as every ANSI program writes them.
    if (test::isWindows()) {
        EXPECT_NE(content().find("path=C:\\Spiele\\Caf\xE9 \x80\\\xC4\\maps\\"), std::string::npos);
    }
}

}  // namespace
}  // namespace gantrel
