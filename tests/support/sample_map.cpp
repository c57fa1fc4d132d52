// SPDX-License-Identifier: MIT
#include "support/sample_map.h"

#include "support/test_support.h"

namespace gantrel::test {

SampleMap::SampleMap(const std::filesystem::path& base)
    : installation(base / "TELV 2"),
      mapsFolder(installation / "maps"),
      map(mapsFolder / "D\xC3\xA9mo")
{
    writeFile(installation / "Sceneryobjects/Trees/oak.sco", "");
    writeFile(installation / "Sceneryobjects/Houses/house.sco", "");
    writeFile(installation / "Splines/Roads/road.sli", "");
    writeFile(map / "global.cfg", "[name]\r\nDemo\r\n");
    writeFile(map / "ailists.cfg", "");
    writeFile(map / "tile_0_0.map",
              "[object]\r\n0\r\nSceneryobjects\\Trees\\oak.sco\r\nSplines\\Roads\\road.sli\r\n");
    writeFile(map / "tile_1_0.map",
              "Sceneryobjects\\Houses\\house.sco\r\nSceneryobjects\\Trees\\oak.sco\r\n"
              "Splines\\Roads\\lane.sli\r\nSceneryobjects\\Trees\\birch.sco\r\n");
}

std::filesystem::path SampleMap::addMap(const std::string& name, int tiles) const
{
    const std::filesystem::path folder = mapsFolder / name;
    writeFile(folder / "global.cfg", "");
    writeFile(folder / "ailists.cfg", "");
    for (int tile = 0; tile < tiles; ++tile) {
        writeFile(folder / ("tile_" + std::to_string(tile) + ".map"),
                  "Sceneryobjects\\Trees\\oak.sco\r\n");
    }
    return folder;
}

}  // namespace gantrel::test
