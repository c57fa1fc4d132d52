// SPDX-License-Identifier: MIT
#include "window_bench.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

namespace gantrel::bench {
namespace {

constexpr int kTiles = 20;
constexpr int kObjects = 80'000;
constexpr int kObjectFolders = 4'000;
constexpr int kSplineFolders = 1'000;
constexpr Seconds kShownTarget{0.5};
constexpr Seconds kFrame{1.0 / 60};

void writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string reference(int index)
{
    if (index < kObjects) {
        return "Sceneryobjects\\Folder" + std::to_string(index % kObjectFolders) + "\\object_" +
               std::to_string(index) + ".sco";
    }
    return "Splines\\Roads" + std::to_string(index % kSplineFolders) + "\\spline_" +
           std::to_string(index) + ".sli";
}

}  // namespace

std::filesystem::path writeWindowBenchMap(const std::filesystem::path& folder)
{
    const std::filesystem::path map = folder / "TELV" / "maps" / "Bench";
    writeFile(map / "global.cfg", "");
    writeFile(map / "ailists.cfg", "");
    for (int tile = 0; tile < kTiles; ++tile) {
        std::string text;
        for (int index = tile; index < kReferences; index += kTiles) {
            text += "[object]\r\n" + std::to_string(index) + "\r\n" + reference(index) + "\r\n";
        }
        writeFile(map / ("tile_" + std::to_string(tile) + "_0.map"), text);
    }
    return map;
}

bool printWindowFigures(const char* window, const WindowFigures& figures)
{
    std::vector<Seconds> sorted = figures.scrolls;
    std::sort(sorted.begin(), sorted.end());
    const Seconds median = sorted.empty() ? Seconds{} : sorted[sorted.size() / 2];
    const Seconds worst = sorted.empty() ? Seconds{} : sorted.back();
    std::printf("%s: window shown %.0f ms after the scan's end (ratio to 500 ms: %.2f)\n", window,
                figures.shown.count() * 1000, figures.shown / kShownTarget);
    std::printf(
        "%s: page of the %d-entry list shown %.0f ms after its tab was selected "
        "(ratio to 500 ms: %.2f)\n",
        window, kObjects, figures.pageShown.count() * 1000, figures.pageShown / kShownTarget);
    if (figures.filled) {
        std::printf(
            "%s: the whole list in its memo %.0f ms after its tab was selected, filled in "
            "steps of at most %.0f ms while the window takes input\n",
            window, figures.filled->count() * 1000, figures.longestStep.count() * 1000);
    }
    std::printf(
        "%s: page scroll of that list: median %.1f ms, worst %.1f ms "
        "(ratio of the worst to a 60 Hz frame: %.2f)\n",
        window, median.count() * 1000, worst.count() * 1000, worst / kFrame);
    return figures.shown <= kShownTarget && figures.pageShown <= kShownTarget && worst <= kFrame;
}

}  // namespace gantrel::bench
