#include "media/JadFile.h"

#include "media/JarManifest.h"
#include "media/MediaOutput.h"
#include "media/ReplacementFile.h"
#include "workspace/Dialogs.h"
#include "workspace/FirmwareFile.h"
#include "workspace/OutputFile.h"

#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace tovallo {

namespace {

// The keys of the six fixed lines, in their order; the first four come from the manifest.
const std::array<const char*, 6> JadKeys = {
    "MIDLET-1:",       "MIDLET-NAME:",     "MIDLET-VENDOR:",
    "MIDLET-VERSION:", "MIDLET-JAR-SIZE:", "MIDLET-JAR-URL:"};

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The first of the six keys `line` holds, or JadKeys.size().
size_t keyOf(const std::string& line) {
    const std::string up = upper(line);
    for (size_t k = 0; k < JadKeys.size(); ++k)
        if (up.find(JadKeys[k]) != std::string::npos)
            return k;
    return JadKeys.size();
}

void addLine(std::string& jad, const std::string& line) {
    if (line.size() >= 3)
        jad += line + "\r\n";
}

} // namespace

std::vector<std::string> ManifestLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    auto end = [&] {
        if (!line.empty() && line[0] == ' ' && !lines.empty() && !lines.back().empty())
            lines.back() += line.substr(1);
        else
            lines.push_back(line);
        line.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            end();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty())
        end();
    return lines;
}

std::string JadPathFor(const std::string& jarPath) {
    return jarPath.substr(0, jarPath.size() < 3 ? 0 : jarPath.size() - 3) + "jad";
}

std::string BuildJad(const std::string& manifest, uint64_t jarSize, const std::string& jarName,
                     const std::string& existingJad) {
    std::array<std::string, 4> fromManifest;
    for (const std::string& line : ManifestLines(manifest))
        if (const size_t k = keyOf(line); k < fromManifest.size())
            fromManifest[k] = line;
    std::string jad;
    for (const std::string& line : fromManifest)
        addLine(jad, line);
    addLine(jad, "MIDlet-Jar-Size: " + std::to_string(jarSize));
    addLine(jad, "MIDlet-Jar-URL: " + jarName);
    for (const std::string& line : ManifestLines(existingJad))
        if (keyOf(line) == JadKeys.size())
            addLine(jad, line);
    return jad;
}

std::optional<std::string> CreateJadFile(const Workspace& ws, const std::string& jarPath,
                                         Dialogs& dialogs) {
    const std::optional<std::string> manifest = ReadJarManifest(jarPath);
    const int64_t jarSize = FileSizeOf(jarPath);
    if (!manifest || jarSize < 0) {
        dialogs.errorText(JarExpandError);
        return std::nullopt;
    }
    const std::string jadPath = JadPathFor(jarPath);
    if (!CheckOutputTarget(ws, jadPath, {jarPath}, dialogs))
        return std::nullopt;
    std::string existing;
    std::error_code ec;
    if (std::filesystem::exists(jadPath, ec)) {
        const int64_t size = FileSizeOf(jadPath);
        std::ifstream in(jadPath, std::ios::binary);
        if (size >= 0 && static_cast<uint64_t>(size) <= MaxJadSize)
            existing.resize(static_cast<size_t>(size));
        if (size < 0 || existing.size() != static_cast<uint64_t>(size) ||
            !in.read(existing.data(), size)) {
            dialogs.errorText("Cannot read the JAD file \"" + jadPath + "\" (at most 1 MiB).");
            return std::nullopt;
        }
    }
    const std::string jad =
        BuildJad(*manifest, static_cast<uint64_t>(jarSize), BaseName(jarPath), existing);
    if (!WriteOutputFile(jadPath, jad, {jarPath}, ws, dialogs))
        return std::nullopt;
    return jadPath;
}

} // namespace tovallo
