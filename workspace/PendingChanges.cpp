#include "workspace/PendingChanges.h"

#include "workspace/TempDir.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <tuple>

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

// Erases list[index] with its temporary files: the replacement and the kept original bytes.
template <class Record> bool eraseAt(std::vector<Record>& list, size_t index) {
    if (index >= list.size())
        return false;
    const Record& r = list[index];
    if constexpr (requires { r.FileName; })
        std::remove(r.FileName.c_str());
    if constexpr (requires { r.OriginalEntryFile; })
        std::remove(r.OriginalEntryFile.c_str());
    if (!r.OriginalFile.empty())
        std::remove(r.OriginalFile.c_str());
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

} // namespace

void PendingChanges::AppendStringChange(uint32_t addr, std::string text) {
    const auto mark = text.find('\x01');
    if (mark != std::string::npos)
        text[mark] = '\0';
    StringChanges.push_back({addr, std::move(text), {}});
    changed();
}

void PendingChanges::AppendLinkChange(uint32_t addr, uint32_t value, uint32_t prefix) {
    LinkChanges.push_back({addr, value, prefix, {}});
    changed();
}

bool PendingChanges::AppendImageChange(TempDir& dir, uint32_t addr, uint32_t size,
                                       const std::string& bytes, std::string& error) {
    const std::string name = writeTemporary(dir, "Image", imageFiles_, bytes, error);
    if (name.empty())
        return false;
    ++imageFiles_;
    ImageChanges.push_back({addr, size, name, {}});
    changed();
    return true;
}

bool PendingChanges::AppendSoundChange(TempDir& dir, uint32_t addr, const std::string& bytes,
                                       std::string& error) {
    const std::string name = writeTemporary(dir, "Snd_", soundFiles_, bytes, error);
    if (name.empty())
        return false;
    ++soundFiles_;
    SoundChanges.push_back({addr, static_cast<uint32_t>(bytes.size()), name, {}});
    changed();
    return true;
}

bool PendingChanges::AppendJavaChange(TempDir& dir, uint32_t dataAddr, uint32_t entryAddr,
                                      const std::string& entryText, const std::string& bytes,
                                      std::string& error) {
    const std::string name = writeTemporary(dir, "JavaAPP", javaFiles_, bytes, error);
    if (name.empty())
        return false;
    ++javaFiles_;
    JavaChanges.push_back({dataAddr, entryAddr, 0, name, entryText, {}, {}});
    changed();
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

size_t PendingChanges::remove(std::vector<ChangeRef> changes) {
    // The highest positions of each list go first, so the positions still to go stay valid.
    auto key = [](const ChangeRef& c) { return std::make_tuple(c.list, c.index); };
    std::sort(changes.begin(), changes.end(),
              [&](const ChangeRef& a, const ChangeRef& b) { return key(a) > key(b); });
    changes.erase(
        std::unique(changes.begin(), changes.end(),
                    [&](const ChangeRef& a, const ChangeRef& b) { return key(a) == key(b); }),
        changes.end());
    size_t removed = 0;
    for (const ChangeRef& c : changes) {
        switch (c.list) {
        case ChangeList::Strings:
            removed += eraseAt(StringChanges, c.index);
            break;
        case ChangeList::Images:
            removed += eraseAt(ImageChanges, c.index);
            break;
        case ChangeList::Links:
            removed += eraseAt(LinkChanges, c.index);
            break;
        case ChangeList::Java:
            removed += eraseAt(JavaChanges, c.index);
            break;
        case ChangeList::Sounds:
            removed += eraseAt(SoundChanges, c.index);
            break;
        }
    }
    changed();
    return removed;
}

void PendingChanges::clear() {
    StringChanges.clear();
    ImageChanges.clear();
    LinkChanges.clear();
    JavaChanges.clear();
    SoundChanges.clear();
    changed();
}

void PendingChanges::changed() const {
    if (observer_)
        observer_();
}

} // namespace tovallo
