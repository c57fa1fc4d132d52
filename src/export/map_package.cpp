// SPDX-License-Identifier: MIT
#include "export/map_package.h"

#include <algorithm>
#include <optional>
#include <set>
#include <system_error>

#include "common/error.h"
#include "export/export_entry.h"
#include "export/zip/zip_writer.h"
#include "platform/copy.h"
#include "platform/package_files.h"

namespace gantrel {
namespace {

namespace fs = std::filesystem;

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string utf8Of(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

// A folder of the package with where it lies, before its files are listed.
struct Found {
    PackageFolder folder;
    fs::path source;    // as on disk
    fs::path relative;  // to GameRoot
    fs::path identity;  // with every link resolved
};

// True when a folder lies below one of `outers` (every link resolved in both): its ancestors
// are looked up, so that thousands of used folders cost no comparison of every pair.
bool insideAny(const fs::path& folder, const std::set<fs::path>& outers)
{
    for (fs::path up = folder.parent_path(); !up.empty(); up = up.parent_path()) {
        if (outers.contains(up)) {
            return true;
        }
        if (up == up.parent_path()) {
            return false;  // the root
        }
    }
    return false;
}

// Every file below a folder, links followed, each distinct folder (by `seen`) once.
void listBelow(const fs::path& folder, const std::string& prefix, std::set<fs::path>& seen,
               PackageFolder& into)
{
    std::error_code error;
    const fs::path identity = fs::canonical(folder, error);
    std::vector<fs::directory_entry> entries;
    if (!error && !seen.insert(identity).second) {
        return;
    }
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        entries.push_back(*it);
    }
    if (error) {
        throw Error("Cannot read folder \"" + platform::narrowPath(folder) + "\". " +
                    error.message());
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.path().filename() < b.path().filename();
    });
    for (const fs::directory_entry& entry : entries) {
        const std::string name = prefix + utf8Of(entry.path().filename());
        std::error_code ignored;  // a link to nothing is a file that fails when it is read
        if (entry.is_directory(ignored)) {
            listBelow(entry.path(), name + "/", seen, into);
            continue;
        }
        const std::uintmax_t size = entry.file_size(ignored);
        PackageFile file{entry.path(), name, ignored ? 0 : static_cast<std::uint64_t>(size)};
        into.bytes += file.size;
        into.files.push_back(std::move(file));
    }
}

class PackageOutput final : public zip::ZipOutput {
public:
    PackageOutput(platform::StagedFile& file, const std::string& name) : m_file(file), m_name(name)
    {
    }
    void write(const char* bytes, std::size_t count) override { check(m_file.write(bytes, count)); }
    void seek(std::uint64_t offset) override { check(m_file.seek(offset)); }
    void check(bool done) const
    {
        if (!done) {
            throw Error("Unable to write to " + m_name + ". " + m_file.failure());
        }
    }

private:
    platform::StagedFile& m_file;
    const std::string& m_name;
};

std::string readError(const fs::path& file, const std::string& reason)
{
    return "Cannot read file \"" + platform::narrowPath(file) + "\". " + reason;
}

class PackageSource final : public zip::EntrySource {
public:
    PackageSource(platform::SourceFile& file, const fs::path& path) : m_file(file), m_path(path) {}
    std::size_t read(char* into, std::size_t room) override
    {
        const std::int64_t got = m_file.read(into, room);
        if (got < 0) {
            throw Error(readError(m_path, m_file.failure()));
        }
        return static_cast<std::size_t>(got);
    }
    void rewind() override
    {
        if (!m_file.rewind()) {
            throw Error(readError(m_path, m_file.failure()));
        }
    }

private:
    platform::SourceFile& m_file;
    const fs::path& m_path;
};

// The package file and the staged one beside it: never packed into themselves.
class OwnFiles {
public:
    OwnFiles(std::vector<fs::path> paths) : m_paths(std::move(paths)) {}
    bool contains(const fs::path& file) const
    {
        for (const fs::path& own : m_paths) {
            std::error_code error;
            if (sameNameIgnoringCase(file.filename(), own.filename()) &&
                fs::equivalent(file, own, error) && !error) {
                return true;
            }
        }
        return false;
    }

private:
    static bool sameNameIgnoringCase(const fs::path& a, const fs::path& b)
    {
        const std::string x = utf8Of(a);
        const std::string y = utf8Of(b);
        return std::equal(x.begin(), x.end(), y.begin(), y.end(),
                          [](char c, char d) { return asciiLower(c) == asciiLower(d); });
    }
    std::vector<fs::path> m_paths;
};

struct Cancelled {};

}  // namespace

bool sameFolderName(std::string_view a, std::string_view b)
{
    const auto trimmed = [](std::string_view text) {
        while (!text.empty() && (text.back() == '\\' || text.back() == '/')) {
            text.remove_suffix(1);
        }
        return text;
    };
    const auto fold = [](char c) { return c == '/' ? '\\' : asciiLower(c); };
    a = trimmed(a);
    b = trimmed(b);
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char c, char d) { return fold(c) == fold(d); });
}

std::vector<PackageFolder> packageFolders(const WindowState& state, const std::string& mapFolder)
{
    const std::string root = state.gameRoot.empty() ? "." : state.gameRoot;
    const std::optional<std::string> rootOnDisk = platform::resolveFolder(root);
    std::vector<Found> found;
    std::set<fs::path> present;  // the identities of the folders found on disk
    const auto add = [&](const std::string& entry, const std::string& path) {
        const std::optional<std::string> onDisk =
            rootOnDisk ? platform::resolveFolder(path) : std::nullopt;
        Found folder;
        folder.folder.folder = entry;
        if (onDisk) {
            folder.source = platform::nativePath(*onDisk);
            folder.relative = folder.source.lexically_relative(platform::nativePath(*rootOnDisk));
            std::error_code error;
            folder.identity = fs::canonical(folder.source, error);
            folder.folder.present = !folder.relative.empty() && !error;
        }
        // Named already, in another letter case or through a link?
        if (folder.folder.present
                ? !present.insert(folder.identity).second
                : std::any_of(found.begin(), found.end(), [&](const Found& other) {
                      return sameFolderName(other.folder.folder, entry);
                  })) {
            return;
        }
        if (folder.folder.present) {
            folder.folder.folder.clear();
            for (const fs::path& part : folder.relative) {
                folder.folder.folder += platform::narrowPath(part) + "\\";
            }
        }
        found.push_back(std::move(folder));
    };
    add({}, mapFolder);
    for (const auto* list : {&state.objectFolders, &state.splineFolders}) {
        for (const std::string& entry : *list) {
            if (isSafeEntry(entry)) {
                add(entry, root + entry);
            }
        }
    }

    std::vector<PackageFolder> folders;
    std::set<fs::path> seen;
    for (Found& folder : found) {
        if (folder.folder.present && insideAny(folder.identity, present)) {
            continue;
        }
        if (folder.folder.present) {
            std::string prefix;
            for (const fs::path& part : folder.relative) {
                prefix += utf8Of(part) + "/";
            }
            listBelow(folder.source, prefix, seen, folder.folder);
        }
        folders.push_back(std::move(folder.folder));
    }
    return folders;
}

PackageResult writeMapPackage(const std::vector<PackageFolder>& folders,
                              const std::vector<bool>& chosen, const std::string& zipFile,
                              const PackageProgressFn& progress)
{
    PackageProgress done;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (chosen[i] && folders[i].present) {
            done.totalFiles += folders[i].files.size();
            done.totalBytes += folders[i].bytes;
        }
    }
    platform::StagedFile staged(zipFile);
    if (!staged.ok()) {
        throw Error("Unable to write to " + zipFile + ". " + staged.failure());
    }
    const OwnFiles own({staged.path(), platform::nativePath(zipFile)});
    PackageOutput output(staged, zipFile);
    zip::ZipWriter writer(output);
    PackageResult result;
    try {
        for (std::size_t i = 0; i < folders.size(); ++i) {
            if (!chosen[i] || !folders[i].present) {
                continue;
            }
            for (const PackageFile& file : folders[i].files) {
                if (own.contains(file.source)) {
                    continue;
                }
                platform::SourceFile source(file.source);
                if (!source.ok()) {
                    throw Error(readError(file.source, source.failure()));
                }
                PackageSource entry(source, file.source);
                const std::uint64_t before = done.bytes;
                const auto read = [&](std::uint64_t bytes) {
                    done.bytes = before + bytes;
                    if (!progress(done)) {
                        throw Cancelled{};
                    }
                };
                if (writer.addFile(file.name, source.modified(), source.size(), entry, read) ==
                    zip::AddResult::Changed) {
                    throw Error(readError(file.source, "It changed while it was packed."));
                }
                ++done.files;
                ++result.files;
                result.bytes += done.bytes - before;
                if (!progress(done)) {
                    throw Cancelled{};
                }
            }
        }
    } catch (const Cancelled&) {
        result.cancelled = true;
        return result;  // the staged file goes with `staged`
    }
    result.zipSize = writer.finish();
    output.check(staged.commit(result.zipSize));
    return result;
}

std::string packageEndMessage(const PackageResult& result, const std::string& zipFile)
{
    return "The map package holds " + std::to_string(result.files) + " files, " +
           std::to_string(result.bytes) + " bytes (" + std::to_string(result.zipSize) +
           " bytes packed):\n" + zipFile;
}

}  // namespace gantrel
