// SPDX-License-Identifier: MIT
// The locale's case-insensitive order on POSIX, by ICU's collation at secondary strength.

#include <unicode/ucol.h>
#include <unicode/uset.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/platform.h"

namespace gantrel::platform {
namespace {

// The collation locale as the C library would choose it; C and POSIX mean the root collation,
// since ICU's own POSIX tailoring orders by code point and would make the order case-sensitive.
std::string collationLocale()
{
    std::string name;
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            name = value;
            break;
        }
    }
    name = name.substr(0, name.find_first_of(".@"));
    return name == "C" || name == "POSIX" ? std::string() : name;
}

struct SetCloser {
    void operator()(USet* set) const { uset_close(set); }
};

// The ASCII characters whose collation the locale changes: those it tailors, and those of
// every contraction made of ASCII alone (the root order has no contraction or expansion among
// ASCII characters, so these are all that can make one).
std::optional<std::array<bool, 128>> tailoredAscii(const UCollator* handle)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<USet, SetCloser> tailored(ucol_getTailoredSet(handle, &status));
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    std::array<bool, 128> changed{};
    const int32_t items = uset_getItemCount(tailored.get());
    for (int32_t i = 0; i < items; ++i) {
        UChar32 first = 0;
        UChar32 last = 0;
        std::u16string text(16, u'\0');
        int32_t length = 0;
        do {
            text.resize(std::max(text.size(), static_cast<std::size_t>(length)));
            status = U_ZERO_ERROR;
            length = uset_getItem(tailored.get(), i, &first, &last,
                                  reinterpret_cast<UChar*>(text.data()),
                                  static_cast<int32_t>(text.size()), &status);
        } while (status == U_BUFFER_OVERFLOW_ERROR);
        if (U_FAILURE(status)) {
            return std::nullopt;
        }
        if (length == 0) {
            for (UChar32 c = first; c <= std::min<UChar32>(last, 127); ++c) {
                changed[static_cast<std::size_t>(c)] = true;
            }
            continue;
        }
        text.resize(static_cast<std::size_t>(length));
        if (std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; })) {
            for (const char16_t unit : text) {
                changed[unit] = true;
            }
        }
    }
    return changed;
}

}  // namespace

struct CaseInsensitiveOrder::Collator {
    UCollator* handle = nullptr;
    std::optional<AsciiRanks> ranks;
    ~Collator()
    {
        if (handle != nullptr) {
            ucol_close(handle);
        }
    }
};

CaseInsensitiveOrder::CaseInsensitiveOrder() : m_collator(std::make_unique<Collator>())
{
    UErrorCode status = U_ZERO_ERROR;
    m_collator->handle = ucol_open(collationLocale().c_str(), &status);
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        m_collator->handle = ucol_open("", &status);
    }
    if (m_collator->handle == nullptr) {
        return;
    }
    ucol_setStrength(m_collator->handle, UCOL_SECONDARY);
    status = U_ZERO_ERROR;
    if (ucol_getAttribute(m_collator->handle, UCOL_NUMERIC_COLLATION, &status) != UCOL_OFF ||
        U_FAILURE(status)) {
        return;  // digits are ordered as numbers, not one by one
    }
    const std::optional<std::array<bool, 128>> changed = tailoredAscii(m_collator->handle);
    if (!changed) {
        return;
    }
    // A key is the primary weights, 01, then the levels below. An ASCII character of one
    // collation element whose lower levels are those of every other is ordered by its primary
    // weight alone, and a text of such characters by the sequence of their primary weights.
    AsciiRanks ranks;
    ranks.fill(kUnranked);
    const std::string ignored = sortKey({});
    std::optional<std::string> lower;
    std::vector<std::pair<std::string, unsigned char>> weighed;
    for (unsigned char c = 0; c < 128; ++c) {
        if ((*changed)[c]) {
            continue;
        }
        const std::string key = sortKey(std::string(1, static_cast<char>(c)));
        const std::size_t primaryEnd = key.find('\x01');
        if (key == ignored) {
            ranks[c] = 0;
        } else if (primaryEnd != 0 && primaryEnd != std::string::npos &&
                   lower.value_or(key.substr(primaryEnd)) == key.substr(primaryEnd)) {
            lower = key.substr(primaryEnd);
            weighed.emplace_back(key.substr(0, primaryEnd), c);
        }
    }
    std::sort(weighed.begin(), weighed.end());
    std::uint8_t rank = 0;
    for (std::size_t i = 0; i < weighed.size(); ++i) {
        if (i == 0 || weighed[i].first != weighed[i - 1].first) {
            ++rank;
        }
        ranks[weighed[i].second] = rank;
    }
    m_collator->ranks = ranks;
}

CaseInsensitiveOrder::~CaseInsensitiveOrder() = default;

std::string CaseInsensitiveOrder::sortKey(std::string_view text) const
{
    const std::u16string units = narrowToUtf16(text);
    if (m_collator->handle == nullptr) {
        return std::string(text);
    }
    const auto* source = reinterpret_cast<const UChar*>(units.data());
    const auto length = static_cast<int32_t>(units.size());
    std::string key(units.size() * 4 + 16, '\0');
    auto* target = reinterpret_cast<uint8_t*>(key.data());
    int32_t needed = ucol_getSortKey(m_collator->handle, source, length, target,
                                     static_cast<int32_t>(key.size()));
    if (needed > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<std::size_t>(needed));
        target = reinterpret_cast<uint8_t*>(key.data());
        needed = ucol_getSortKey(m_collator->handle, source, length, target, needed);
    }
    key.resize(needed > 0 ? static_cast<std::size_t>(needed - 1) : 0);  // drop the terminator
    return key;
}

int CaseInsensitiveOrder::compare(std::string_view a, std::string_view b) const
{
    if (m_collator->handle == nullptr) {
        return a.compare(b);
    }
    // Ill-formed UTF-8 is collated as U+FFFD, as the conversion for sortKey makes it.
    UErrorCode status = U_ZERO_ERROR;
    return ucol_strcollUTF8(m_collator->handle, a.data(), static_cast<int32_t>(a.size()), b.data(),
                            static_cast<int32_t>(b.size()), &status);
}

const CaseInsensitiveOrder::AsciiRanks* CaseInsensitiveOrder::asciiRanks() const
{
    return m_collator->ranks ? &*m_collator->ranks : nullptr;
}

}  // namespace gantrel::platform
