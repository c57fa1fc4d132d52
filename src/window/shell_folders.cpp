// SPDX-License-Identifier: MIT
#include "window/shell_folders.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "platform/platform.h"
#include "window/text_case.h"

namespace gantrel::window {
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

// The captions of one primary language, as UTF-8: each becomes the program's 8-bit string of
// the same text, so that the Polish label reads right in the Central European code page.
struct LanguageTexts {
    std::uint16_t primary;
    const char* newFolder;
    const char* label;
};

constexpr std::array<LanguageTexts, 9> kLanguageTexts{{
    {0x0000, "New folder", "Current folder:"},  // "Default"
    {0x0006, "Ny mappe", "Valgt mappe:"},
    {0x0007, "Neuer Ordner", "Ausgew\xC3\xA4hlter Ordner:"},
    {0x0009, "New folder", "Current folder:"},
    {0x000C, "Nouveau dossier", "Dossier courant :"},
    {0x0010, "Nuova Cartella", "Cartella selezionata:"},
    {0x0013, "Nieuwe map", "Huidige map:"},
    {0x0015, "Nowy folder",
     "Bie\xC5\xBC\xC4\x85"
     "cy folder"},
    {0x0016, "Nova Pasta", "Pasta Atual:"},
}};

const LanguageTexts& textsOf(std::uint16_t key)
{
    const auto primary = static_cast<std::uint16_t>(key & kPrimaryLanguageMask);
    const auto found =
        std::find_if(kLanguageTexts.begin(), kLanguageTexts.end(),
                     [primary](const LanguageTexts& t) { return t.primary == primary; });
    return found != kLanguageTexts.end() ? *found : kLanguageTexts.front();
}

std::string keyText(unsigned value)
{
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "%04X", value & 0xFFFFu);
    return text.data();
}

CaptionList captionTable(const char* LanguageTexts::*text)
{
    CaptionList captions;
    captions.reserve(kCaptionKeys.size() + 1);
    captions.push_back({"Default", platform::utf8ToNarrow(kLanguageTexts.front().*text)});
    for (const std::uint16_t key : kCaptionKeys) {
        captions.push_back({keyText(key), platform::utf8ToNarrow(textsOf(key).*text)});
    }
    return captions;
}

bool sameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// ---- Path texts --------------------------------------------------------------------------------

// Every character after which pretty case starts a capital.
constexpr std::u32string_view kWordSeparators = U" .,;-+*/?=()&!\\<>:_\"{|}[]%";

bool isWordSeparator(char32_t c)
{
    return kWordSeparators.find(c) != std::u32string_view::npos;
}

// Simple case mapping, one character for one, as an 8-bit code page maps its letters.
void mapCase(std::u32string_view text, std::u32string& mapped, bool capitalAfterSeparators)
{
    std::optional<char32_t> previous;
    for (const char32_t c : text) {
        const bool upper = capitalAfterSeparators && isWordSeparator(previous.value_or(U' '));
        mapped.push_back(upper ? upperCase(c) : lowerCase(c));
        previous = c;
    }
}

// The folder part without its first folder name, behind a single "..." folder.
std::string withoutFirstFolder(std::string_view folders, char separator)
{
    const std::string ellipsis = std::string("...") + separator;
    const bool rooted = !folders.empty() && folders.front() == separator;
    std::string_view rest = folders;
    while (!rest.empty() && rest.front() == separator) {
        rest.remove_prefix(1);
    }
    if (rest.starts_with(ellipsis)) {
        rest.remove_prefix(ellipsis.size());
        if (rest.empty() && !rooted) {
            return {};
        }
    }
    const std::size_t end = rest.find(separator);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return (rooted ? std::string(1, separator) : std::string()) + ellipsis + std::string(rest);
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

std::string lookUpCaption(const CaptionList& captions, const LanguageKeys& keys)
{
    if (captions.empty()) {
        return {};
    }
    for (const std::string_view name :
         {std::string_view(keys.language), std::string_view(keys.primary),
          std::string_view("Default")}) {
        if (name.empty()) {
            continue;
        }
        const auto found = std::find_if(captions.begin(), captions.end(), [&](const auto& entry) {
            return sameName(entry.language, name);
        });
        if (found != captions.end()) {
            return found->text;
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

std::string prettyCase(std::string_view text, char separator)
{
    if (text.find(":/") != std::string_view::npos) {
        return std::string(text);
    }
    const std::u32string characters = codePointsOf(text);
    std::u32string pretty;
    pretty.reserve(characters.size());

    // The extension starts at the last full stop after the last folder separator.
    const std::size_t folderEnd = characters.find_last_of(
        std::u32string{U'\\', U':', static_cast<char32_t>(static_cast<unsigned char>(separator))});
    const std::size_t dot = characters.rfind(U'.');
    const bool hasExtension =
        dot != std::u32string::npos && (folderEnd == std::u32string::npos || dot > folderEnd);
    const std::size_t stemEnd = hasExtension ? dot : characters.size();
    mapCase(std::u32string_view(characters).substr(0, stemEnd), pretty, true);
    mapCase(std::u32string_view(characters).substr(stemEnd), pretty, false);
    return narrowOf(pretty);
}

std::string shortenPath(std::string_view text, char separator,
                        const std::function<bool(const std::string&)>& fits)
{
    const std::string ellipsis = std::string("...") + separator;
    const std::string rootedEllipsis = separator + ellipsis;

    std::string drive = text.size() >= 2 && text[1] == ':' ? std::string(text.substr(0, 2)) : "";
    const std::string_view rest = text.substr(drive.size());
    const std::size_t lastSeparator = rest.rfind(separator);
    const std::size_t nameStart = lastSeparator == std::string_view::npos ? 0 : lastSeparator + 1;
    std::string folders(rest.substr(0, nameStart));
    const std::string name(rest.substr(nameStart));

    std::string shortened(text);
    while (!fits(shortened) && (!folders.empty() || !drive.empty())) {
        if (folders == rootedEllipsis) {
            drive.clear();
            folders = ellipsis;
        } else if (!folders.empty()) {
            folders = withoutFirstFolder(folders, separator);
        } else {
            drive.clear();
        }
        shortened = drive + folders + name;
    }
    return shortened;
}

}  // namespace gantrel::window
