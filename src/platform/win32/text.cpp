// SPDX-License-Identifier: MIT
// Text conversions and the locale's order on Windows: the system's ANSI code page, converted by
// the system itself with its default flags, and the user's locale for sorting.

#include <algorithm>
#include <climits>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace gantrel::platform {
namespace {

// The conversion calls take int lengths. Longer text goes in pieces that end where no
// character can be split: after a byte below 0x40 (never a trail byte in any ANSI code page),
// or before a unit that is no low surrogate.
constexpr std::size_t kMostPerCall = INT_MAX / 2;

std::size_t eightBitPiece(std::string_view bytes)
{
    if (bytes.size() <= kMostPerCall) {
        return bytes.size();
    }
    for (std::size_t end = kMostPerCall; end > kMostPerCall / 2; --end) {
        if (static_cast<unsigned char>(bytes[end - 1]) < 0x40) {
            return end;
        }
    }
    return kMostPerCall;
}

std::size_t unitPiece(std::u16string_view units)
{
    if (units.size() <= kMostPerCall) {
        return units.size();
    }
    const char16_t next = units[kMostPerCall];
    return next >= 0xDC00 && next <= 0xDFFF ? kMostPerCall - 1 : kMostPerCall;
}

void appendUtf16(std::u16string& out, std::string_view bytes)
{
    const int length = static_cast<int>(bytes.size());
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (needed <= 0) {
        return;
    }
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(needed));
    const int written = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length,
                                              reinterpret_cast<LPWSTR>(out.data() + start), needed);
    out.resize(start + static_cast<std::size_t>(written > 0 ? written : 0));
}

void appendNarrow(std::string& out, std::u16string_view units)
{
    const auto* source = reinterpret_cast<LPCWCH>(units.data());
    const int length = static_cast<int>(units.size());
    // No default character of its own and no flags: the code page's best fit, else its own
    // default character, as the system converts for every ANSI program.
    const int needed =
        ::WideCharToMultiByte(CP_ACP, 0, source, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return;
    }
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(needed));
    const int written = ::WideCharToMultiByte(CP_ACP, 0, source, length, out.data() + start, needed,
                                              nullptr, nullptr);
    out.resize(start + static_cast<std::size_t>(written > 0 ? written : 0));
}

}  // namespace

bool codePageIsSingleByte()
{
    CPINFO info{};
    return ::GetCPInfo(CP_ACP, &info) != 0 && info.MaxCharSize == 1;
}

std::u16string codePageToUtf16(std::string_view bytes)
{
    std::u16string out;
    while (!bytes.empty()) {
        const std::size_t piece = eightBitPiece(bytes);
        appendUtf16(out, bytes.substr(0, piece));
        bytes.remove_prefix(piece);
    }
    return out;
}

std::string utf16ToNarrow(std::u16string_view text)
{
    std::string out;
    while (!text.empty()) {
        const std::size_t piece = unitPiece(text);
        appendNarrow(out, text.substr(0, piece));
        text.remove_prefix(piece);
    }
    return out;
}

// The user's locale, as the system's case-insensitive comparison (CompareString with
// NORM_IGNORECASE) uses it.
struct CaseInsensitiveOrder::Collator {
    LCID locale = LOCALE_USER_DEFAULT;
};

CaseInsensitiveOrder::CaseInsensitiveOrder() : m_collator(std::make_unique<Collator>()) {}

CaseInsensitiveOrder::~CaseInsensitiveOrder() = default;

std::string CaseInsensitiveOrder::sortKey(std::string_view text) const
{
    // The key is made from UTF-16 converted by the ANSI code page rather than by LCMapStringA,
    // which would convert by the code page of the user's locale: the two differ where the
    // system's language is not the user's.
    const std::u16string units = codePageToUtf16(text);
    if (units.empty()) {
        return {};  // sorts before every other key, as the empty text sorts first
    }
    const auto* source = reinterpret_cast<LPCWSTR>(units.data());
    const int length = static_cast<int>(std::min<std::size_t>(units.size(), INT_MAX));
    constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
    // With LCMAP_SORTKEY the destination is a byte buffer and its size counts bytes.
    const int needed = ::LCMapStringW(m_collator->locale, kFlags, source, length, nullptr, 0);
    if (needed <= 0) {
        return std::string(text);
    }
    std::string key(static_cast<std::size_t>(needed), '\0');
    const int written = ::LCMapStringW(m_collator->locale, kFlags, source, length,
                                       reinterpret_cast<LPWSTR>(key.data()), needed);
    if (written <= 0) {
        return std::string(text);
    }
    key.resize(static_cast<std::size_t>(written - 1));  // without its terminating zero
    return key;
}

int CaseInsensitiveOrder::compare(std::string_view a, std::string_view b) const
{
    const std::u16string first = codePageToUtf16(a);
    const std::u16string second = codePageToUtf16(b);
    if (first.empty() || second.empty()) {
        return sortKey(a).compare(sortKey(b));  // the empty text's key sorts before every other
    }
    const int result = ::CompareStringW(
        m_collator->locale, NORM_IGNORECASE, reinterpret_cast<LPCWSTR>(first.data()),
        static_cast<int>(std::min<std::size_t>(first.size(), INT_MAX)),
        reinterpret_cast<LPCWSTR>(second.data()),
        static_cast<int>(std::min<std::size_t>(second.size(), INT_MAX)));
    return result == 0 ? sortKey(a).compare(sortKey(b)) : result - CSTR_EQUAL;
}

// The system's order sets hyphens and apostrophes apart from the other characters (they
// count only where texts are otherwise equal), so it is left to the sort keys.
const CaseInsensitiveOrder::AsciiRanks* CaseInsensitiveOrder::asciiRanks() const
{
    return nullptr;
}

}  // namespace gantrel::platform
