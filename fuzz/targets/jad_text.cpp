// The JAD beside a JAR, read back when it is corrected: the input is split in two at its first
// zero byte, the manifest and the existing JAD. The new JAD holds the JAR's size and name as lines
// once each, and every line ends with CR LF.
#include "FuzzSupport.h"

#include "media/JadFile.h"

using namespace tovallo;

namespace {

// Lines of the JAD equal to `line`.
size_t occurrences(const std::string& jad, const std::string& line) {
    size_t n = 0;
    for (size_t start = 0, end; (end = jad.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        n += jad.compare(start, end - start, line) == 0;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(fuzz::AsText(data, size));
    const size_t split = std::min(input.find('\0'), input.size());
    const std::string manifest = input.substr(0, split);
    const std::string existing = split < input.size() ? input.substr(split + 1) : std::string();
    for (const std::string& line : ManifestLines(existing))
        fuzz::Require(line.find_first_of("\r\n") == std::string::npos, "a line holds no line end");
    const std::string jad = BuildJad(manifest, 12345, "game.jar", existing);
    fuzz::Require(occurrences(jad, "MIDlet-Jar-Size: 12345") == 1, "the size once");
    fuzz::Require(occurrences(jad, "MIDlet-Jar-URL: game.jar") == 1, "the name once");
    fuzz::Require(jad.ends_with("\r\n"), "the JAD ends with a line end");
    return 0;
}
