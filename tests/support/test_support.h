#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/window_state.h"

namespace gantrel::test {

/// A fresh folder below the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    /// The folder as the program's 8-bit path text.
    std::string str() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

/// Writes the bytes to the file, making its folders.
void writeFile(const std::filesystem::path& file, std::string_view bytes);
/// The whole content of a file.
std::string readFile(const std::filesystem::path& file);

/// Text as UTF-16 bytes, little- or big-endian, with or without the byte-order mark.
std::string utf16Bytes(std::u16string_view text, bool bigEndian, bool withMark = true);

/// Records what the message box and the error box were asked to show.
class RecordingUi : public UserInterface {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void showError(const std::string& message) override { errors.push_back(message); }
    void tileScanned(std::size_t done, std::size_t total) override
    {
        progress.emplace_back(done, total);
    }

    std::vector<std::string> messages;
    std::vector<std::string> errors;
    std::vector<std::pair<std::size_t, std::size_t>> progress;
};

/// Sets (or, with nullptr, removes) an environment variable for its lifetime.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

/// The path of the examples folder of the source tree.
std::filesystem::path examplesFolder();

}  // namespace gantrel::test
