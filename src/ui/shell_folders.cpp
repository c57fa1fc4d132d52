// SPDX-License-Identifier: MIT
#include "shell_folders.h"

#include <QByteArray>
#include <QLocale>
#include <QStringDecoder>
#include <QStringList>

#include <unicode/uloc.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace gantrel::ui {
namespace {

// ---- Browse flags ----------------------------------------------------------------------------

struct FlagBit {
    BrowseInfoFlag flag;
    std::uint32_t browserFlag;
};

constexpr std::array<FlagBit, 10> kFlagBits{{
    {bfShowPath, 0x0004},
    {bfEditBox, 0x0010},
    {bfIncludefiles, 0x4000},
    {bfIncludeURLs, 0x0080},
    {bfNewDialogStyle, 0x0040},
    {bfUsageHint, 0x0100},
    {bfHideNewFolderButton, 0x0200},
    {bfDontBrowseShortcuts, 0x0400},
    {bfHideMappedDrives, 0x8000},
    {bfValidate, 0x0020},
}};

std::uint32_t baseFlag(BrowseFor browseFor)
{
    switch (browseFor) {
        case BrowseFor::bfAll:
            return 0;
        case BrowseFor::bfOnlyAncestors:
            return 0x0008;
        case BrowseFor::bfOnlyComputers:
            return 0x1000;
        case BrowseFor::bfOnlyDomains:
            return 0x0002;
        case BrowseFor::bfOnlyFileSystem:
            return 0x0001;
        case BrowseFor::bfOnlyPrinters:
            return 0x2000;
    }
    return 0;
}

// ---- Captions ----------------------------------------------------------------------------------

// The keys of both caption tables, after "Default", in the order the tables list them.
constexpr std::array<std::uint16_t, 35> kCaptionKeys{
    0x0006, 0x0007, 0x0009, 0x000C, 0x0010, 0x0013, 0x0015, 0x0016, 0x0406, 0x0407, 0x0409, 0x040C,
    0x0410, 0x0413, 0x0415, 0x0416, 0x0807, 0x0809, 0x080C, 0x0810, 0x0C07, 0x0C09, 0x0C0C, 0x1007,
    0x1009, 0x100C, 0x1407, 0x1409, 0x140C, 0x1809, 0x180C, 0x1C09, 0x2009, 0x2809, 0x2C09,
};

constexpr std::uint16_t kPrimaryLanguageMask = 0x3FF;

// The captions of one primary language as 8-bit bytes in its own code page.
struct LanguageTexts {
    std::uint16_t primary;
    const char* newFolder;
    const char* label;
    const char* codePage;  // empty: the Western code page
};

constexpr std::array<LanguageTexts, 9> kLanguageTexts{{
    {0x0000, "New folder", "Current folder:", ""},  // "Default"
    {0x0006, "Ny mappe", "Valgt mappe:", ""},
    {0x0007, "Neuer Ordner", "Ausgew\xE4hlter Ordner:", ""},
    {0x0009, "New folder", "Current folder:", ""},
    {0x000C, "Nouveau dossier", "Dossier courant :", ""},
    {0x0010, "Nuova Cartella", "Cartella selezionata:", ""},
    {0x0013, "Nieuwe map", "Huidige map:", ""},
    // The Polish label is Central European text: z with dot above (0xBF), a with ogonek (0xB1).
    {0x0015, "Nowy folder",
     "Bie\xBF\xB1"
     "cy folder",
     "ISO-8859-2"},
    {0x0016, "Nova Pasta", "Pasta Atual:", ""},
}};

// The Western texts use no character where Windows-1252 and Latin-1 differ.
QString decode(const char* bytes, const char* codePage)
{
    if (*codePage == '\0') {
        return QString::fromLatin1(bytes);
    }
    QStringDecoder decoder(codePage);
    return decoder.decode(QByteArrayView(bytes));
}

const LanguageTexts& textsOf(std::uint16_t key)
{
    const auto primary = static_cast<std::uint16_t>(key & kPrimaryLanguageMask);
    const auto found =
        std::find_if(kLanguageTexts.begin(), kLanguageTexts.end(),
                     [primary](const LanguageTexts& t) { return t.primary == primary; });
    return found != kLanguageTexts.end() ? *found : kLanguageTexts.front();
}

QString keyText(std::uint16_t value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

CaptionList captionTable(const char* LanguageTexts::*text)
{
    const LanguageTexts& fallback = kLanguageTexts.front();
    CaptionList captions;
    captions.reserve(kCaptionKeys.size() + 1);
    captions.push_back({QStringLiteral("Default"), decode(fallback.*text, fallback.codePage)});
    for (const std::uint16_t key : kCaptionKeys) {
        const LanguageTexts& texts = textsOf(key);
        captions.push_back({keyText(key), decode(texts.*text, texts.codePage)});
    }
    return captions;
}

// ---- Path texts --------------------------------------------------------------------------------

// Every character after which pretty case starts a capital.
constexpr std::u16string_view kWordSeparators = u" .,;-+*/?=()&!\\<>:_\"{|}[]%";

bool isWordSeparator(char32_t c)
{
    return c <= 0xFFFF &&
           kWordSeparators.find(static_cast<char16_t>(c)) != std::u16string_view::npos;
}

// Calls `each` with every code point of the text, a surrogate pair as one.
template <typename Each>
void forEachCodePoint(const QString& text, Each each)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            each(QChar::surrogateToUcs4(c, text.at(i + 1)));
            ++i;
        } else {
            each(static_cast<char32_t>(c.unicode()));
        }
    }
}

// Simple case mapping, one character for one, as an 8-bit code page maps its letters.
QString mapCase(const QString& text, const std::function<bool(char32_t previous)>& capital)
{
    QString mapped;
    mapped.reserve(text.size());
    std::optional<char32_t> previous;
    forEachCodePoint(text, [&](char32_t c) {
        const bool upper = capital(previous.value_or(U' '));
        mapped.append(QChar::fromUcs4(upper ? QChar::toUpper(c) : QChar::toLower(c)));
        previous = c;
    });
    return mapped;
}

// The folder part without its first folder name, behind a single "..." folder.
QString withoutFirstFolder(const QString& folders, QChar separator)
{
    const QString ellipsis = QStringLiteral("...") + separator;
    const bool rooted = folders.startsWith(separator);
    QString rest = folders;
    while (rest.startsWith(separator)) {
        rest.remove(0, 1);
    }
    if (rest.startsWith(ellipsis)) {
        rest.remove(0, ellipsis.size());
        if (rest.isEmpty() && !rooted) {
            return {};
        }
    }
    const qsizetype end = rest.indexOf(separator);
    rest = end < 0 ? QString() : rest.mid(end + 1);
    return (rooted ? QString(separator) : QString()) + ellipsis + rest;
}

}  // namespace

std::uint32_t browseFlags(BrowseFor browseFor, BrowseInfoFlagSet flags)
{
    std::uint32_t word = baseFlag(browseFor);
    for (const FlagBit& bit : kFlagBits) {
        if (flags.testFlag(bit.flag)) {
            word |= bit.browserFlag;
        }
    }
    return word;
}

bool okEnabled(BrowseFor browseFor, bool hasPath, bool fileSystemAncestor)
{
    switch (browseFor) {
        case BrowseFor::bfOnlyFileSystem:
            return hasPath;
        case BrowseFor::bfOnlyAncestors:
            return fileSystemAncestor;
        default:
            return true;
    }
}

LanguageKeys languageKeysFor(std::uint16_t languageId)
{
    return {keyText(languageId), keyText(languageId & kPrimaryLanguageMask)};
}

std::optional<std::uint16_t> languageIdOf(const QString& locale)
{
    QByteArray tag = locale.toLatin1();
    tag.replace('_', '-');
    std::array<char, ULOC_FULLNAME_CAPACITY> name{};
    UErrorCode status = U_ZERO_ERROR;
    std::int32_t parsed = 0;
    uloc_forLanguageTag(tag.constData(), name.data(), static_cast<std::int32_t>(name.size()),
                        &parsed, &status);
    if (U_FAILURE(status) || name[0] == '\0') {
        return std::nullopt;
    }
    std::uint32_t id = uloc_getLCID(name.data());

    // A script in the name ("de-Latn-CH", as Qt lists it) hides the country's identifier; the
    // language with the country alone finds it.
    std::array<char, ULOC_COUNTRY_CAPACITY> country{};
    std::array<char, ULOC_LANG_CAPACITY> language{};
    status = U_ZERO_ERROR;
    uloc_getCountry(name.data(), country.data(), static_cast<std::int32_t>(country.size()),
                    &status);
    uloc_getLanguage(name.data(), language.data(), static_cast<std::int32_t>(language.size()),
                     &status);
    if (U_SUCCESS(status) && country[0] != '\0' && (id & 0xFFFF) >> 10 == 0) {
        const std::string withCountry = std::string(language.data()) + '_' + country.data();
        if (const std::uint32_t found = uloc_getLCID(withCountry.c_str()); found != 0) {
            id = found;
        }
    }
    if ((id & 0xFFFF) == 0) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(id & 0xFFFF);
}

LanguageKeys systemLanguageKeys()
{
    const QLocale system = QLocale::system();
    const QStringList languages = system.uiLanguages();
    const std::optional<std::uint16_t> id =
        languageIdOf(languages.isEmpty() ? system.name() : languages.first());
    return id ? languageKeysFor(*id) : LanguageKeys{};
}

QString lookUpCaption(const CaptionList& captions, const LanguageKeys& keys)
{
    if (captions.empty()) {
        return {};
    }
    const auto named = [&captions](const QString& name) -> const CaptionEntry* {
        if (name.isEmpty()) {
            return nullptr;
        }
        const auto found = std::find_if(captions.begin(), captions.end(), [&](const auto& entry) {
            return entry.language.compare(name, Qt::CaseInsensitive) == 0;
        });
        return found != captions.end() ? &*found : nullptr;
    };
    for (const QString& name : {keys.language, keys.primary, QStringLiteral("Default")}) {
        if (const CaptionEntry* entry = named(name)) {
            return entry->text;
        }
    }
    return captions.front().text;
}

CaptionList defaultLabelCaptions()
{
    return captionTable(&LanguageTexts::label);
}

CaptionList defaultNewFolderCaptions()
{
    return captionTable(&LanguageTexts::newFolder);
}

bool fileNamesIgnoreCase()
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true;
#else
    return false;
#endif
}

QString prettyCase(const QString& text, QChar separator)
{
    if (text.contains(QStringLiteral(":/"))) {
        return text;
    }
    QString pretty = mapCase(text, [](char32_t previous) { return isWordSeparator(previous); });

    const qsizetype folderEnd =
        std::max({pretty.lastIndexOf(QLatin1Char('\\')), pretty.lastIndexOf(QLatin1Char(':')),
                  pretty.lastIndexOf(separator)});
    const qsizetype dot = pretty.lastIndexOf(QLatin1Char('.'));
    if (dot > folderEnd) {
        pretty = pretty.left(dot) + mapCase(pretty.mid(dot), [](char32_t) { return false; });
    }
    return pretty;
}

QString shortenPath(const QString& text, QChar separator,
                    const std::function<bool(const QString&)>& fits)
{
    const QString ellipsis = QStringLiteral("...") + separator;
    const QString rootedEllipsis = separator + ellipsis;

    QString drive = text.size() >= 2 && text.at(1) == QLatin1Char(':') ? text.left(2) : QString();
    const QString rest = text.mid(drive.size());
    const qsizetype nameStart = rest.lastIndexOf(separator) + 1;
    QString folders = rest.left(nameStart);
    const QString name = rest.mid(nameStart);

    QString shortened = text;
    while (!fits(shortened) && (!folders.isEmpty() || !drive.isEmpty())) {
        if (folders == rootedEllipsis) {
            drive.clear();
            folders = ellipsis;
        } else if (!folders.isEmpty()) {
            folders = withoutFirstFolder(folders, separator);
        } else {
            drive.clear();
        }
        shortened = drive + folders + name;
    }
    return shortened;
}

}  // namespace gantrel::ui
