#include "workspace/PendingChanges.h"

#include "workspace/TempDir.h"

#include <cstdio>
#include <fstream>

namespace tovallo {

namespace {

// Writes `bytes` to dir/<prefix><n>.tmp; returns the full name, empty on failure.
std::string writeTemporary(TempDir& dir, const std::string& prefix, size_t n,
                           const std::string& bytes, std::string& error) {
    if (dir.path().empty()) {
        error = "Cannot create the directory for temporary files.";
        return {};
    }
    const std::string name = dir.file(prefix + std::to_string(n) + ".tmp");
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        error = "Cannot write the temporary file \"" + name + "\".";
        std::remove(name.c_str());
        return {};
    }
    return name;
}

} // namespace

void PendingChanges::AppendStringChange(uint32_t addr, std::string text) {
    const auto mark = text.find('\x01');
    if (mark != std::string::npos)
        text[mark] = '\0';
    StringChanges.push_back({addr, std::move(text), {}});
}

void PendingChanges::AppendLinkChange(uint32_t addr, uint32_t value, uint32_t prefix) {
    LinkChanges.push_back({addr, value, prefix, {}});
}

bool PendingChanges::AppendImageChange(TempDir& dir, uint32_t addr, uint32_t size,
                                       const std::string& bytes, std::string& error) {
    const std::string name = writeTemporary(dir, "Image", ImageChanges.size(), bytes, error);
    if (name.empty())
        return false;
    ImageChanges.push_back({addr, size, name, {}});
    return true;
}

bool PendingChanges::AppendSoundChange(TempDir& dir, uint32_t addr, const std::string& bytes,
                                       std::string& error) {
    const std::string name = writeTemporary(dir, "Snd_", SoundChanges.size(), bytes, error);
    if (name.empty())
        return false;
    SoundChanges.push_back({addr, static_cast<uint32_t>(bytes.size()), name, {}});
    return true;
}

bool PendingChanges::AppendJavaChange(TempDir& dir, uint32_t dataAddr, uint32_t entryAddr,
                                      const std::string& entryText, const std::string& bytes,
                                      std::string& error) {
    const std::string name = writeTemporary(dir, "JavaAPP", JavaChanges.size(), bytes, error);
    if (name.empty())
        return false;
    JavaChanges.push_back({dataAddr, entryAddr, 0, name, entryText, {}, {}});
    return true;
}

size_t PendingChanges::total() const {
    return StringChanges.size() + ImageChanges.size() + LinkChanges.size() + JavaChanges.size() +
           SoundChanges.size();
}

std::vector<std::string> PendingChanges::temporaryFiles() const {
    std::vector<std::string> files;
    auto add = [&files](const std::string& name) {
        if (!name.empty())
            files.push_back(name);
    };
    for (const Strings_& c : StringChanges)
        add(c.OriginalFile);
    for (const Images_& c : ImageChanges) {
        add(c.FileName);
        add(c.OriginalFile);
    }
    for (const Links_& c : LinkChanges)
        add(c.OriginalFile);
    for (const Java_& c : JavaChanges) {
        add(c.FileName);
        add(c.OriginalFile);
        add(c.OriginalEntryFile);
    }
    for (const Sound_& c : SoundChanges) {
        add(c.FileName);
        add(c.OriginalFile);
    }
    return files;
}

std::string PendingChanges::newOriginalFile(TempDir& dir) {
    if (dir.path().empty())
        return {};
    return dir.file("Orig_" + std::to_string(originalsNamed_++) + ".tmp");
}

void PendingChanges::deleteTemporaryFiles() const {
    for (const std::string& f : temporaryFiles())
        std::remove(f.c_str());
}

void PendingChanges::clear() {
    StringChanges.clear();
    ImageChanges.clear();
    LinkChanges.clear();
    JavaChanges.clear();
    SoundChanges.clear();
}

} // namespace tovallo
