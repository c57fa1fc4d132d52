// SPDX-License-Identifier: MIT
// The settings file's read-after-write round trip on any file content: a value written to a
// key reads back as it was written, and every other key of the file reads as before.
//
// Input: one byte choosing the section, one the key, one the value's length, the value, and
// the rest the file as it was before the write.

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "analysis/tile_decoder.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace {

using gantrel::platform::readProfileString;
using gantrel::platform::writeProfileString;

constexpr std::size_t kLimit = 2047;

// Names in several letter cases, so that a file written with one is read with another.
constexpr std::array<std::string_view, 6> kSections = {"mapfolder", "MapFolder", "other",
                                                       "OTHER",     "m",         "a b"};
constexpr std::array<std::string_view, 6> kKeys = {"path", "PATH", "Path", "other", "p", "a b"};

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

bool sameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// A value the file can hold so that it reads back unchanged: one line, no blanks at its ends
// (the reader trims them), not wrapped in a pair of quotes (the reader takes them off), UTF-8
// (anything else reads as Windows-1252) and within the reader's limit.
bool storable(std::string_view value)
{
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    const bool blankEnd = !value.empty() && (value.front() == ' ' || value.front() == '\t' ||
                                             value.back() == ' ' || value.back() == '\t');
    return value.size() <= kLimit &&
           value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos &&
           !quoted && !blankEnd && gantrel::isWellFormedUtf8({value.data(), value.size()});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3) {
        return 0;
    }
    const std::string_view section = kSections[data[0] % kSections.size()];
    const std::string_view key = kKeys[data[1] % kKeys.size()];
    const std::string_view rest(reinterpret_cast<const char*>(data) + 3, size - 3);
    const std::string_view value = rest.substr(0, data[2]);
    const std::string_view before = rest.substr(value.size());
    if (!storable(value)) {
        return 0;
    }

    static const gantrel::test::TempDir folder;
    const std::string file = (folder.path() / "gantrel.ini").string();
    gantrel::test::writeFile(file, before);
    std::array<std::array<std::string, kKeys.size()>, kSections.size()> was;
    for (std::size_t s = 0; s < kSections.size(); ++s) {
        for (std::size_t k = 0; k < kKeys.size(); ++k) {
            was[s][k] = readProfileString(file, kSections[s], kKeys[k], kLimit);
        }
    }

    if (!writeProfileString(file, section, key, value)) {
        fail("writeProfileString failed on a writable file");
    }
    if (readProfileString(file, section, key, kLimit) != value) {
        fail("the value written does not read back");
    }
    for (std::size_t s = 0; s < kSections.size(); ++s) {
        for (std::size_t k = 0; k < kKeys.size(); ++k) {
            const bool written = sameName(kSections[s], section) && sameName(kKeys[k], key);
            if (!written && readProfileString(file, kSections[s], kKeys[k], kLimit) != was[s][k]) {
                fail("writing [" + std::string(section) + "] " + std::string(key) + " changed [" +
                     std::string(kSections[s]) + "] " + std::string(kKeys[k]));
            }
        }
    }
    return 0;
}
