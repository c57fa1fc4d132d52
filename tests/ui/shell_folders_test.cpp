// SPDX-License-Identifier: MIT
#include "shell_folders.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <string>

namespace gantrel::ui {
namespace {

QString q(const char* utf8)
{
    return QString::fromUtf8(utf8);
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
    const CaptionList captions{{QStringLiteral("0009"), QStringLiteral("english")},
                               {QStringLiteral("Default"), QStringLiteral("default")},
                               {QStringLiteral("0c07"), QStringLiteral("austrian")},
                               {QStringLiteral("0007"), QStringLiteral("german")}};
    EXPECT_EQ(lookUpCaption(captions, languageKeysFor(0x0C07)), QStringLiteral("austrian"));
    EXPECT_EQ(lookUpCaption(captions, languageKeysFor(0x0807)), QStringLiteral("german"));
    EXPECT_EQ(lookUpCaption(captions, languageKeysFor(0x0C0A)), QStringLiteral("default"));
    EXPECT_EQ(lookUpCaption(captions, LanguageKeys{}), QStringLiteral("default"));

    const CaptionList noDefault{{QStringLiteral("0407"), QStringLiteral("first")},
                                {QStringLiteral("0409"), QStringLiteral("second")}};
    EXPECT_EQ(lookUpCaption(noDefault, languageKeysFor(0x0415)), QStringLiteral("first"));
    EXPECT_EQ(lookUpCaption({}, languageKeysFor(0x0409)), QString());

    const CaptionList lowerDefault{{QStringLiteral("0407"), QStringLiteral("first")},
                                   {QStringLiteral("dEfAuLt"), QStringLiteral("any case")}};
    EXPECT_EQ(lookUpCaption(lowerDefault, languageKeysFor(0x0415)), QStringLiteral("any case"));
}

TEST(CaptionLookupTest, TablesHoldThe36KeysInTheirOrder)
{
    const QStringList expected =
        QStringLiteral(
            "Default 0006 0007 0009 000C 0010 0013 0015 0016 0406 0407 0409 040C 0410 0413 0415 "
            "0416 "
            "0807 0809 080C 0810 0C07 0C09 0C0C 1007 1009 100C 1407 1409 140C 1809 180C 1C09 2009 "
            "2809 2C09")
            .split(QLatin1Char(' '));
    for (const CaptionList& table : {defaultLabelCaptions(), defaultNewFolderCaptions()}) {
        QStringList keys;
        for (const CaptionEntry& entry : table) {
            keys.push_back(entry.language);
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
    EXPECT_EQ(label(0x0415).toUtf8(), QByteArray("Bie\xC5\xBC\xC4\x85"
                                                 "cy folder"));
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

TEST(LanguageKeysTest, LocalesMapOntoTheirLanguageIdentifiers)
{
    EXPECT_EQ(languageIdOf(QStringLiteral("de_DE")), 0x0407);
    EXPECT_EQ(languageIdOf(QStringLiteral("de_CH")), 0x0807);
    EXPECT_EQ(languageIdOf(QStringLiteral("de-AT")), 0x0C07);
    // Qt lists user interface languages with their script.
    EXPECT_EQ(languageIdOf(QStringLiteral("de-Latn-CH")), 0x0807);
    EXPECT_EQ(languageIdOf(QStringLiteral("en_GB")), 0x0809);
    EXPECT_EQ(languageIdOf(QStringLiteral("en_ZA")), 0x1C09);
    EXPECT_EQ(languageIdOf(QStringLiteral("fr_CH")), 0x100C);
    EXPECT_EQ(languageIdOf(QStringLiteral("pt_BR")), 0x0416);
    EXPECT_EQ(languageIdOf(QStringLiteral("pl_PL")), 0x0415);
    EXPECT_EQ(languageIdOf(QStringLiteral("es_ES")), 0x0C0A);
    EXPECT_EQ(languageIdOf(QStringLiteral("nl")), 0x0013);
    EXPECT_EQ(languageIdOf(QStringLiteral("C")), std::nullopt);
    EXPECT_EQ(languageIdOf(QString()), std::nullopt);

    const LanguageKeys keys = languageKeysFor(0x0C0A);
    EXPECT_EQ(keys.language, QStringLiteral("0C0A"));
    EXPECT_EQ(keys.primary, QStringLiteral("000A"));
}

// ---- Pretty case -------------------------------------------------------------------------------

TEST(PrettyCaseTest, CapitalsAfterSeparatorsAndASmallExtension)
{
    const QChar backslash(QLatin1Char('\\'));
    EXPECT_EQ(prettyCase(q("C:\\my MAPS\\pack.Old"), backslash), q("C:\\My Maps\\Pack.old"));
    EXPECT_EQ(prettyCase(q("D:\\Packs\\MyMap"), backslash), q("D:\\Packs\\Mymap"));
    EXPECT_EQ(prettyCase(q("\\\\SERVER\\share"), backslash), q("\\\\Server\\Share"));
    EXPECT_EQ(prettyCase(q("E:\\"), backslash), q("E:\\"));
    EXPECT_EQ(prettyCase(q("D:\\Backup.OLD"), backslash), q("D:\\Backup.old"));
    EXPECT_EQ(prettyCase(q("c:\\ÜNTER wäLDER"), backslash), q("C:\\Ünter Wälder"));
    EXPECT_EQ(prettyCase(QString(), backslash), QString());
}

TEST(PrettyCaseTest, EveryListedSeparatorAndNoOther)
{
    const QChar backslash(QLatin1Char('\\'));
    EXPECT_EQ(prettyCase(q("a b.c,d;e-f+g*h/i?j=k(l)m&n!o\\p<q>r:s_t\"u{v|w}x[y]z%aa"), backslash),
              q("A B.C,D;E-F+G*H/I?J=K(L)M&N!O\\P<Q>R:S_T\"U{V|W}X[Y]Z%Aa"));
    EXPECT_EQ(prettyCase(q("o'NEIL#TWO@THREE~FOUR"), backslash), q("O'neil#two@three~four"));
}

TEST(PrettyCaseTest, ExtensionOnlyInTheLastNameAndAddressesUnchanged)
{
    const QChar backslash(QLatin1Char('\\'));
    EXPECT_EQ(prettyCase(q("C:\\old.MAPS\\demo"), backslash), q("C:\\Old.Maps\\Demo"));
    EXPECT_EQ(prettyCase(q("A:Name.TXT"), backslash), q("A:Name.txt"));
    EXPECT_EQ(prettyCase(q("http://Example.COM/Path"), backslash), q("http://Example.COM/Path"));
    // On POSIX the slash ends a folder name for the extension rule too.
    const QChar slash(QLatin1Char('/'));
    EXPECT_EQ(prettyCase(q("/home/a.B/my MAP"), slash), q("/Home/A.B/My Map"));
    EXPECT_EQ(prettyCase(q("/home/a.B/my MAP"), backslash), q("/Home/A.b/my map"));
    EXPECT_EQ(prettyCase(q("/srv/pack.OLD"), slash), q("/Srv/Pack.old"));
}

// ---- Shortening --------------------------------------------------------------------------------

// Every text the rule tries, the first one included, when nothing fits.
QStringList tried(const QString& text, QChar separator)
{
    QStringList candidates;
    const QString last = shortenPath(text, separator, [&](const QString& candidate) {
        candidates.push_back(candidate);
        return false;
    });
    EXPECT_EQ(last, candidates.back());
    return candidates;
}

TEST(ShortenPathTest, DropsOneFolderARoundThenTheDrive)
{
    EXPECT_EQ(tried(q("C:\\a\\b\\c\\name"), QLatin1Char('\\')),
              QStringList({q("C:\\a\\b\\c\\name"), q("C:\\...\\b\\c\\name"), q("C:\\...\\c\\name"),
                           q("C:\\...\\name"), q("...\\name"), q("name")}));
    EXPECT_EQ(tried(q("/home/user/name"), QLatin1Char('/')),
              QStringList({q("/home/user/name"), q("/.../user/name"), q("/.../name"), q(".../name"),
                           q("name")}));
    EXPECT_EQ(tried(q("C:name"), QLatin1Char('\\')), QStringList({q("C:name"), q("name")}));
    EXPECT_EQ(tried(q("name"), QLatin1Char('\\')), QStringList({q("name")}));
}

TEST(ShortenPathTest, StopsAtTheFirstTextThatFits)
{
    int calls = 0;
    const auto upToThirdTry = [&](const QString&) { return ++calls == 3; };
    EXPECT_EQ(shortenPath(q("C:\\a\\b\\c\\name"), QLatin1Char('\\'), upToThirdTry),
              q("C:\\...\\c\\name"));
    EXPECT_EQ(shortenPath(q("C:\\a\\name"), QLatin1Char('\\'), [](const QString&) { return true; }),
              q("C:\\a\\name"));
}

}  // namespace
}  // namespace gantrel::ui
