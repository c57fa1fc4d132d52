// SPDX-License-Identifier: MIT
#include "window/shell_folders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"

namespace gantrel::window {
namespace {

// The program's 8-bit string of a UTF-8 text.
std::string q(const char* utf8)
{
    return platform::utf8ToNarrow(utf8);
}

// ---- Browse flags ------------------------------------------------------------------------------

TEST(BrowseFlagsTest, DefaultsGiveTheModernDialogWithItsPathLine)
{
    EXPECT_EQ(
        browseFlags(BrowseFor::bfOnlyFileSystem, BrowseInfoFlagSet(bfShowPath) | bfNewDialogStyle),
        0x0045u);
}

TEST(BrowseFlagsTest, BaseFlagOredWithEveryElementOfTheSet)
{
    EXPECT_EQ(browseFlags(BrowseFor::bfAll, {}), 0u);
    EXPECT_EQ(browseFlags(BrowseFor::bfOnlyAncestors, {}), 0x0008u);
    EXPECT_EQ(browseFlags(BrowseFor::bfOnlyComputers, bfIncludefiles), 0x5000u);
    EXPECT_EQ(browseFlags(BrowseFor::bfOnlyDomains, BrowseInfoFlagSet(bfEditBox) | bfValidate),
              0x0032u);
    EXPECT_EQ(browseFlags(BrowseFor::bfOnlyPrinters,
                          BrowseInfoFlagSet(bfIncludeURLs) | bfUsageHint | bfHideNewFolderButton |
                              bfDontBrowseShortcuts | bfHideMappedDrives),
              0x2000u | 0x0080u | 0x0100u | 0x0200u | 0x0400u | 0x8000u);
    const BrowseInfoFlagSet all = BrowseInfoFlagSet(bfShowPath) | bfEditBox | bfIncludefiles |
                                  bfIncludeURLs | bfNewDialogStyle | bfUsageHint |
                                  bfHideNewFolderButton | bfDontBrowseShortcuts |
                                  bfHideMappedDrives | bfValidate;
    EXPECT_EQ(browseFlags(BrowseFor::bfOnlyFileSystem, all), 0xC7F5u);
}

TEST(BrowseFlagsTest, OkFollowsThePathOnlyForFileSystemFolders)
{
    EXPECT_TRUE(okEnabled(BrowseFor::bfOnlyFileSystem, true, true));
    EXPECT_FALSE(okEnabled(BrowseFor::bfOnlyFileSystem, false, true));
    EXPECT_TRUE(okEnabled(BrowseFor::bfAll, false, false));
    EXPECT_TRUE(okEnabled(BrowseFor::bfOnlyComputers, false, false));
    EXPECT_TRUE(okEnabled(BrowseFor::bfOnlyAncestors, false, true));
    EXPECT_FALSE(okEnabled(BrowseFor::bfOnlyAncestors, true, false));
}

// ---- Captions ----------------------------------------------------------------------------------

TEST(CaptionLookupTest, LanguageKeyThenPrimaryKeyThenDefaultThenFirstEntry)
{
    const CaptionList captions{{std::string("0009"), std::string("english")},
                               {std::string("Default"), std::string("default")},
                               {std::string("0c07"), std::string("austrian")},
                               {std::string("0007"), std::string("german")}};
    EXPECT_EQ(lookUpCaption(captions, languageKeysFor(0x0C07)), std::string("austrian"));
    EXPECT_EQ(lookUpCaption(captions, languageKeysFor(0x0807)), std::string("german"));
    EXPECT_EQ(lookUpCaption(captions, languageKeysFor(0x0C0A)), std::string("default"));
    EXPECT_EQ(lookUpCaption(captions, LanguageKeys{}), std::string("default"));

    const CaptionList noDefault{{std::string("0407"), std::string("first")},
                                {std::string("0409"), std::string("second")}};
    EXPECT_EQ(lookUpCaption(noDefault, languageKeysFor(0x0415)), std::string("first"));
    EXPECT_EQ(lookUpCaption({}, languageKeysFor(0x0409)), std::string());

    const CaptionList lowerDefault{{std::string("0407"), std::string("first")},
                                   {std::string("dEfAuLt"), std::string("any case")}};
    EXPECT_EQ(lookUpCaption(lowerDefault, languageKeysFor(0x0415)), std::string("any case"));
}

TEST(CaptionLookupTest, TablesHoldThe36KeysInTheirOrder)
{
    const std::string expected =
        "Default 0006 0007 0009 000C 0010 0013 0015 0016 0406 0407 0409 040C 0410 0413 0415 0416 "
        "0807 0809 080C 0810 0C07 0C09 0C0C 1007 1009 100C 1407 1409 140C 1809 180C 1C09 2009 "
        "2809 2C09";
    for (const CaptionList& table : {defaultLabelCaptions(), defaultNewFolderCaptions()}) {
        std::string keys;
        for (const CaptionEntry& entry : table) {
            keys += (keys.empty() ? "" : " ") + entry.language;
        }
        EXPECT_EQ(keys, expected);
    }
}

TEST(CaptionLookupTest, EveryKeyReadsTheTextOfItsPrimaryLanguage)
{
    const CaptionList labels = defaultLabelCaptions();
    const CaptionList newFolders = defaultNewFolderCaptions();
    const auto label = [&](std::uint16_t id) { return lookUpCaption(labels, languageKeysFor(id)); };
    const auto newFolder = [&](std::uint16_t id) {
        return lookUpCaption(newFolders, languageKeysFor(id));
    };

    EXPECT_EQ(label(0x0407), q("Ausgewählter Ordner:"));
    EXPECT_EQ(label(0x1407), q("Ausgewählter Ordner:"));
    EXPECT_EQ(newFolder(0x0C07), q("Neuer Ordner"));
    EXPECT_EQ(label(0x0415), q("Bieżący folder"));
    // Where the code page lacks the Polish letters, the caption holds their substitutes.
    EXPECT_EQ(newFolder(0x0015), q("Nowy folder"));
    EXPECT_EQ(label(0x2C09), q("Current folder:"));
    EXPECT_EQ(label(0x180C), q("Dossier courant :"));
    EXPECT_EQ(newFolder(0x080C), q("Nouveau dossier"));
    EXPECT_EQ(label(0x0810), q("Cartella selezionata:"));
    EXPECT_EQ(newFolder(0x0010), q("Nuova Cartella"));
    EXPECT_EQ(label(0x0413), q("Huidige map:"));
    EXPECT_EQ(newFolder(0x0013), q("Nieuwe map"));
    EXPECT_EQ(label(0x0006), q("Valgt mappe:"));
    EXPECT_EQ(newFolder(0x0406), q("Ny mappe"));
    EXPECT_EQ(label(0x0416), q("Pasta Atual:"));
    EXPECT_EQ(newFolder(0x0016), q("Nova Pasta"));
    // Spanish has no key of its own: "Default".
    EXPECT_EQ(label(0x0C0A), q("Current folder:"));
    EXPECT_EQ(newFolder(0x0C0A), q("New folder"));
}

TEST(LanguageKeysTest, KeysAreFourUpperCaseHexDigits)
{
    const LanguageKeys keys = languageKeysFor(0x0C0A);
    EXPECT_EQ(keys.language, "0C0A");
    EXPECT_EQ(keys.primary, "000A");
}

// ---- Pretty case -------------------------------------------------------------------------------

TEST(PrettyCaseTest, CapitalsAfterSeparatorsAndASmallExtension)
{
    const char backslash = '\\';
    EXPECT_EQ(prettyCase(q("C:\\my MAPS\\pack.Old"), backslash), q("C:\\My Maps\\Pack.old"));
    EXPECT_EQ(prettyCase(q("D:\\Packs\\MyMap"), backslash), q("D:\\Packs\\Mymap"));
    EXPECT_EQ(prettyCase(q("\\\\SERVER\\share"), backslash), q("\\\\Server\\Share"));
    EXPECT_EQ(prettyCase(q("E:\\"), backslash), q("E:\\"));
    EXPECT_EQ(prettyCase(q("D:\\Backup.OLD"), backslash), q("D:\\Backup.old"));
    EXPECT_EQ(prettyCase(q("c:\\ÜNTER wäLDER"), backslash), q("C:\\Ünter Wälder"));
    EXPECT_EQ(prettyCase(std::string(), backslash), std::string());
}

TEST(PrettyCaseTest, EveryListedSeparatorAndNoOther)
{
    const char backslash = '\\';
    EXPECT_EQ(prettyCase(q("a b.c,d;e-f+g*h/i?j=k(l)m&n!o\\p<q>r:s_t\"u{v|w}x[y]z%aa"), backslash),
              q("A B.C,D;E-F+G*H/I?J=K(L)M&N!O\\P<Q>R:S_T\"U{V|W}X[Y]Z%Aa"));
    EXPECT_EQ(prettyCase(q("o'NEIL#TWO@THREE~FOUR"), backslash), q("O'neil#two@three~four"));
}

TEST(PrettyCaseTest, ExtensionOnlyInTheLastNameAndAddressesUnchanged)
{
    const char backslash = '\\';
    EXPECT_EQ(prettyCase(q("C:\\old.MAPS\\demo"), backslash), q("C:\\Old.Maps\\Demo"));
    EXPECT_EQ(prettyCase(q("A:Name.TXT"), backslash), q("A:Name.txt"));
    EXPECT_EQ(prettyCase(q("http://Example.COM/Path"), backslash), q("http://Example.COM/Path"));
    // On POSIX the slash ends a folder name for the extension rule too.
    const char slash = '/';
    EXPECT_EQ(prettyCase(q("/home/a.B/my MAP"), slash), q("/Home/A.B/My Map"));
    EXPECT_EQ(prettyCase(q("/home/a.B/my MAP"), backslash), q("/Home/A.b/my map"));
    EXPECT_EQ(prettyCase(q("/srv/pack.OLD"), slash), q("/Srv/Pack.old"));
}

// ---- Shortening --------------------------------------------------------------------------------

// Every text the rule tries, the first one included, when nothing fits.
std::vector<std::string> tried(const std::string& text, char separator)
{
    std::vector<std::string> candidates;
    const std::string last = shortenPath(text, separator, [&](const std::string& candidate) {
        candidates.push_back(candidate);
        return false;
    });
    EXPECT_EQ(last, candidates.back());
    return candidates;
}

TEST(ShortenPathTest, DropsOneFolderARoundThenTheDrive)
{
    EXPECT_EQ(tried(q("C:\\a\\b\\c\\name"), '\\'),
              std::vector<std::string>({q("C:\\a\\b\\c\\name"), q("C:\\...\\b\\c\\name"),
                                        q("C:\\...\\c\\name"), q("C:\\...\\name"), q("...\\name"),
                                        q("name")}));
    EXPECT_EQ(tried(q("/home/user/name"), '/'),
              std::vector<std::string>({q("/home/user/name"), q("/.../user/name"), q("/.../name"),
                                        q(".../name"), q("name")}));
    EXPECT_EQ(tried(q("C:name"), '\\'), std::vector<std::string>({q("C:name"), q("name")}));
    EXPECT_EQ(tried(q("name"), '\\'), std::vector<std::string>({q("name")}));
}

TEST(ShortenPathTest, StopsAtTheFirstTextThatFits)
{
    int calls = 0;
    const auto upToThirdTry = [&](const std::string&) { return ++calls == 3; };
    EXPECT_EQ(shortenPath(q("C:\\a\\b\\c\\name"), '\\', upToThirdTry), q("C:\\...\\c\\name"));
    EXPECT_EQ(shortenPath(q("C:\\a\\name"), '\\', [](const std::string&) { return true; }),
              q("C:\\a\\name"));
}

}  // namespace
}  // namespace gantrel::window
