// SPDX-License-Identifier: MIT
#pragma once

// The destination folder dialog's item routines that need no window: the browse flags, the
// caption tables and their lookup by language, pretty case and the path line's shortening.
// Every text is one of the program's 8-bit strings.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace gantrel::window {

/// A set of the bits of one flag enumeration, built with `|`.
template <typename Flag>
class FlagSet {
public:
    constexpr FlagSet() = default;
    constexpr FlagSet(Flag flag) : m_bits(static_cast<unsigned>(flag)) {}

    constexpr bool testFlag(Flag flag) const { return (m_bits & static_cast<unsigned>(flag)) != 0; }
    constexpr FlagSet operator|(FlagSet other) const { return FlagSet(m_bits | other.m_bits); }
    constexpr bool operator==(const FlagSet&) const = default;

private:
    constexpr explicit FlagSet(unsigned bits) : m_bits(bits) {}
    unsigned m_bits = 0;
};

// ---- Browse flags ----------------------------------------------------------------------------

/// Which items may be confirmed; each gives the base browse flag.
enum class BrowseFor {
    bfAll,             // 0
    bfOnlyAncestors,   // 0x0008: file-system ancestors only
    bfOnlyComputers,   // 0x1000: computers only
    bfOnlyDomains,     // 0x0002: nothing below the domain level
    bfOnlyFileSystem,  // 0x0001: file-system folders only
    bfOnlyPrinters,    // 0x2000: printers only
};

/// The browse options, each one bit of the set in this order (set bit 0 to 9).
enum BrowseInfoFlag : unsigned {
    bfShowPath = 1u << 0,             // 0x0004: the path line under the instruction text
    bfEditBox = 1u << 1,              // 0x0010: an edit box for a typed folder name
    bfIncludefiles = 1u << 2,         // 0x4000: files too
    bfIncludeURLs = 1u << 3,          // 0x0080: addresses too
    bfNewDialogStyle = 1u << 4,       // 0x0040: the modern, resizable dialog
    bfUsageHint = 1u << 5,            // 0x0100: usage hint
    bfHideNewFolderButton = 1u << 6,  // 0x0200: no new-folder button
    bfDontBrowseShortcuts = 1u << 7,  // 0x0400: a link to a folder is not followed
    bfHideMappedDrives = 1u << 8,     // 0x8000: shareable resources
    bfValidate = 1u << 9,             // 0x0020: typed names are validated
};
using BrowseInfoFlagSet = FlagSet<BrowseInfoFlag>;

/// What the dialog does beyond the browser's own options.
enum ExtraFlag : unsigned {
    efAutoExpandTree = 1u << 0,  // a folder the user clicks opens its branch
    efUsePrettyCase = 1u << 1,   // reported paths are given pretty case
};
using ExtraFlagSet = FlagSet<ExtraFlag>;

/// The flag word sent to the browser: the base flag of `browseFor` or-ed with the flag of every
/// element of `flags`. With the dialog's defaults (bfOnlyFileSystem; bfShowPath and
/// bfNewDialogStyle) it is 0x0045.
std::uint32_t browseFlags(BrowseFor browseFor, BrowseInfoFlagSet flags);

/// Whether OK may confirm the selection: with bfOnlyFileSystem exactly when it has a path, with
/// bfOnlyAncestors when it is also a file-system ancestor, with any other value always.
bool okEnabled(BrowseFor browseFor, bool hasPath, bool fileSystemAncestor);

// ---- Captions ----------------------------------------------------------------------------------

/// One language=text entry of a caption list. The language is "Default" or a language key.
struct CaptionEntry {
    std::string language;
    std::string text;

    bool operator==(const CaptionEntry&) const = default;
};
/// An ordered list of captions, as LabelCaptions, NewFolderCaptions and Titles hold them.
using CaptionList = std::vector<CaptionEntry>;

/// The language keys of the running system, as four upper-case hexadecimal digits ("0409" and
/// "0009" for US English); both empty when the language is unknown.
struct LanguageKeys {
    std::string language;  // the language identifier
    std::string primary;   // its primary language: the identifier's low 10 bits
};

/// The keys of a language identifier (0x0407 gives "0407" and "0007").
LanguageKeys languageKeysFor(std::uint16_t languageId);

/// The text for the language: the entry named like the language key, else like the primary key,
/// else "Default", else the first entry; names compare without regard to ASCII case. An empty
/// list gives the empty text; an empty key matches no entry.
std::string lookUpCaption(const CaptionList& captions, const LanguageKeys& keys);

/// The 36 entries of the instruction text: "Default" ("Current folder:") and the keys of the
/// languages that have a text of their own.
CaptionList defaultLabelCaptions();
/// The 36 entries of the new-folder caption: "Default" ("New folder") and the same keys.
CaptionList defaultNewFolderCaptions();

// ---- Path texts --------------------------------------------------------------------------------

/// The text with a capital at its start and after every separator (space and
/// .,;-+*/?=()&!\<>:_"{|}[]%) and small letters elsewhere, then its extension (from the last
/// full stop after the last backslash, colon or `separator`) in small letters: C:\my MAPS\pack.Old
/// gives C:\My Maps\Pack.old. A text containing ":/" (an address) is returned unchanged.
std::string prettyCase(std::string_view text, char separator);

/// The text shortened to fit, path folder by path folder: C:\a\b\c\name is tried as
/// C:\...\b\c\name, C:\...\c\name, C:\...\name, ...\name and name (with `separator` as the path
/// separator) until `fits` accepts one; the last of them when none fits.
std::string shortenPath(std::string_view text, char separator,
                        const std::function<bool(const std::string&)>& fits);

}  // namespace gantrel::window
