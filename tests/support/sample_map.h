// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

namespace gantrel::test {

/// A small installation below `base`: "TELV 2" with two object files and one spline file, and
/// the map maps/Démo with two tiles that use three objects (one missing) and two splines (one
/// missing).
struct SampleMap {
    explicit SampleMap(const std::filesystem::path& base);

    std::filesystem::path installation;  // the game root
    std::filesystem::path mapsFolder;
    std::filesystem::path map;

    /// A further map folder below the same maps folder, holding `tiles` tiles that each use one
    /// object that exists.
    std::filesystem::path addMap(const std::string& name, int tiles) const;
};

}  // namespace gantrel::test
