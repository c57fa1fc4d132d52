#include "support/test_support.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

namespace gantrel::test {

TempDir::TempDir()
{
    std::random_device device;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("gantrel-test-" + std::to_string(device()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ignored;
    // Tests may leave read-only folders behind; give write access back before removing.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(m_path, ignored);
}

void writeFile(const std::filesystem::path& file, std::string_view bytes)
{
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path());
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string utf16Bytes(std::u16string_view text, bool bigEndian, bool withMark)
{
    std::string bytes;
    const auto put = [&](char16_t unit) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    };
    if (withMark) {
        put(0xFEFF);
    }
    for (const char16_t unit : text) {
        put(unit);
    }
    return bytes;
}

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : m_name(name)
{
    if (const char* old = std::getenv(name)) {
        m_old = old;
    }
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
}

ScopedEnvironment::~ScopedEnvironment()
{
    if (m_old) {
        setenv(m_name, m_old->c_str(), 1);
    } else {
        unsetenv(m_name);
    }
}

std::filesystem::path examplesFolder()
{
    if (const char* fromBuild = std::getenv("GANTREL_EXAMPLES")) {
        return fromBuild;
    }
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "examples";
}

}  // namespace gantrel::test
