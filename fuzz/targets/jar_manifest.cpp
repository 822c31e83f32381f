// A JAR chosen for "Create/Correct JAD file": its manifest is read from the archive (or the
// archive is refused), and the JAD built from it holds the JAR's size and name.
#include "FuzzSupport.h"

#include "media/JadFile.h"
#include "media/JarManifest.h"

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::WriteScratchFile("game.jar", fuzz::AsText(data, size));
    const auto manifest = ReadJarManifest(path);
    if (!manifest)
        return 0;
    fuzz::Require(manifest->size() <= MaxManifestSize, "a manifest is at most its limit");
    const std::string jad = BuildJad(*manifest, size, "game.jar", {});
    fuzz::Require(jad.find("MIDlet-Jar-Size: " + std::to_string(size) + "\r\n") !=
                      std::string::npos,
                  "the JAD holds the JAR's size");
    return 0;
}
