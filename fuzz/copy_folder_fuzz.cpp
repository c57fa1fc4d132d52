// SPDX-License-Identifier: MIT
// The folder copy's path checks against generated trees with links: whatever the source and
// the destination hold (folders, files, symbolic links into and out of the destination, hard
// links of files elsewhere), a copy changes nothing outside the destination, the source least
// of all. Where no link is involved it must also copy everything.
//
// Input: a list of steps that build the tree in three folders (source, destination and an
// outside folder that stands for the installation), then the copy's target (names below the
// destination, ".." among them) and options.

#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/copy.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

// Names that sort in every order that matters: a folder before a file, capitals first.
constexpr std::array<std::string_view, 6> kNames = {"B", "Tex", "a", "m.o3d", "pkg", "z"};
// The target's names: those, and ".." that climbs back, after a link too.
constexpr std::array<std::string_view, 7> kTargetNames = {"B",   "Tex", "a", "m.o3d",
                                                          "pkg", "z",   ".."};
constexpr std::size_t kMaxSteps = 32;

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool empty() const { return m_at >= m_size; }
    std::size_t next() { return m_at < m_size ? m_data[m_at++] : 0; }
    template <class Items>
    const auto& pick(const Items& items)
    {
        return items[next() % items.size()];
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

enum Area : std::uint8_t { Source, Destination, Outside };

struct Tree {
    std::array<std::vector<fs::path>, 3> folders;  // real folders, never reached through a link
    std::vector<fs::path> files;
    bool links = false;
};

// A link's target, given absolute or relative to the link's folder.
fs::path linkTarget(Input& input, const fs::path& target, const fs::path& folder)
{
    return input.next() % 2 == 0 ? target : target.lexically_relative(folder);
}

void buildStep(Input& input, Tree& tree)
{
    const std::size_t kind = input.next() % 5;
    const auto area = static_cast<Area>(input.next() % 3);
    const fs::path folder = input.pick(tree.folders[area]);
    const fs::path path = folder / input.pick(kNames);
    std::error_code error;
    if (fs::exists(fs::symlink_status(path, error))) {
        return;
    }
    switch (kind) {
        case 0:
            fs::create_directory(path);
            tree.folders[area].push_back(path);
            break;
        case 1: {
            const std::string content(1 + input.next() % 4,
                                      static_cast<char>('a' + input.next() % 26));
            gantrel::test::writeFile(path, content);
            tree.files.push_back(path);
            break;
        }
        case 2: {
            const auto& folders = tree.folders[input.next() % 3];
            fs::create_directory_symlink(linkTarget(input, input.pick(folders), folder), path,
                                         error);
            tree.links = true;
            break;
        }
        case 3:
            if (!tree.files.empty()) {
                fs::create_symlink(linkTarget(input, input.pick(tree.files), folder), path, error);
                tree.links = true;
            }
            break;
        default:
            if (!tree.files.empty()) {
                fs::create_hard_link(input.pick(tree.files), path, error);
                tree.links = true;
            }
            break;
    }
}

// Everything below a folder but the destination, as it lies on disk: kind, permissions, file
// identity, modification time, content and link targets. Links are not followed.
std::map<std::string, std::string> snapshot(const fs::path& root, const fs::path& destination)
{
    std::map<std::string, std::string> entries;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        if (it->path() == destination) {
            it.disable_recursion_pending();
            continue;
        }
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) != 0) {
            fail("cannot look at " + it->path().string());
        }
        std::string entry = std::to_string(info.st_mode) + " " + std::to_string(info.st_ino) + " " +
                            std::to_string(info.st_mtim.tv_sec) + "." +
                            std::to_string(info.st_mtim.tv_nsec) + " ";
        if (S_ISLNK(info.st_mode)) {
            entry += "-> " + fs::read_symlink(it->path()).string();
        } else if (S_ISREG(info.st_mode)) {
            entry += gantrel::test::readFile(it->path());
        }
        entries[it->path().lexically_relative(root).string()] = entry;
    }
    return entries;
}

// One line for each path that is new, changed or removed in after.
std::string difference(const std::map<std::string, std::string>& before,
                       const std::map<std::string, std::string>& after)
{
    std::string changed;
    for (const auto& [path, entry] : after) {
        const auto was = before.find(path);
        if (was == before.end()) {
            changed += "\n  " + path + " (new)";
        } else if (was->second != entry) {
            changed += "\n  " + path + " (changed from " + was->second + " to " + entry + ")";
        }
    }
    for (const auto& [path, entry] : before) {
        if (!after.contains(path)) {
            changed += "\n  " + path + " (removed)";
        }
    }
    return changed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input input(data, size);
    const gantrel::test::TempDir root;
    const fs::path source = root.path() / "source";
    const fs::path destination = root.path() / "destination";
    const fs::path outside = root.path() / "outside";
    Tree tree;
    for (const fs::path& folder : {source, destination, outside}) {
        fs::create_directory(folder);
    }
    tree.folders = {{{source}, {destination}, {outside}}};
    const std::size_t steps = input.next() % kMaxSteps;
    for (std::size_t i = 0; i < steps && !input.empty(); ++i) {
        buildStep(input, tree);
    }
    fs::path target = destination;
    for (std::size_t depth = input.next() % 3; depth > 0; --depth) {
        target /= input.pick(kTargetNames);
    }
    const bool skipEmptyFolders = input.next() % 2 == 0;
    // Without links and into an empty destination, nothing can stand in the way of a copy
    // whose target lies in the destination.
    const fs::path below = target.lexically_normal().lexically_relative(destination);
    const bool unhindered =
        !tree.links && fs::is_empty(destination) && !below.empty() && *below.begin() != "..";

    const auto before = snapshot(root.path(), destination);
    auto sourceBefore = unhindered ? gantrel::test::tree(source) : gantrel::test::Tree{};
    const auto failures =
        gantrel::platform::copyFolder({source, target, destination, skipEmptyFolders}, {});
    const auto after = snapshot(root.path(), destination);
    if (after != before) {
        fail("the copy changed what lies outside its destination:" + difference(before, after));
    }

    if (unhindered) {
        if (!failures.empty()) {
            fail("a copy without links failed: " + failures.front().path + ": " +
                 failures.front().reason);
        }
        // Below the destination the copy takes a ".." of the target as the parent of the name
        // before it, which it need not make: "Tex/.." is the destination itself.
        auto copied = gantrel::test::tree(target.lexically_normal());
        if (skipEmptyFolders) {
            const auto isFolder = [](const auto& entry) { return entry.first.ends_with('/'); };
            std::erase_if(copied, isFolder);
            std::erase_if(sourceBefore, isFolder);
        }
        if (copied != sourceBefore) {
            fail("a copy without links did not copy the source as it is:" +
                 difference(sourceBefore, copied));
        }
    }
    return 0;
}
