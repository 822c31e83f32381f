#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace tovallo {

// A manifest larger than this is refused rather than read.
inline constexpr size_t MaxManifestSize = 1 << 20;

// The manifest of a JAR (a ZIP archive, read with libzip): the first entry named
// META-INF/MANIFEST.MF in any letter case, read into memory. Nothing when the archive cannot be
// read, has no manifest, or its manifest is over MaxManifestSize or damaged.
std::optional<std::string> ReadJarManifest(const std::string& jarPath);

} // namespace tovallo
