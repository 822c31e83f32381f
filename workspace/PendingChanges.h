#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tovallo {

class TempDir;

// Pending change records. Every change is written into the firmware only by Save All.
// OriginalFile names the temporary file with the firmware bytes the first Save All wrote over
// (empty before), so that a restore patch made afterwards still gives them back.
struct Strings_ {
    uint32_t Addr = 0;
    std::string Text; // bytes written at Addr
    std::string OriginalFile;
};
struct Images_ {
    uint32_t Addr = 0;
    uint32_t Size = 0;    // width in the low 16 bits, height in the high 16 bits
    std::string FileName; // temporary file with the picture's new bytes
    std::string OriginalFile;
};
struct Links_ {
    uint32_t Addr = 0;
    uint32_t Value = 0;
    uint32_t Prefix = 0;      // written at Addr - 4 when not 0
    std::string OriginalFile; // from Addr - 4 when Prefix is not 0
};
struct Java_ {
    uint32_t DataAddr = 0;
    uint32_t EntryAddr = 0;
    uint32_t Reserved = 0;
    std::string FileName;
    std::string EntryText;
    std::string OriginalFile;      // at DataAddr
    std::string OriginalEntryFile; // JavaSizeOffset + 8 bytes at EntryAddr
};
struct Sound_ {
    uint32_t Addr = 0;
    uint32_t Size = 0; // byte size of FileName
    std::string FileName;
    std::string OriginalFile;
};

// The five lists, in the order Save All writes them.
enum class ChangeList { Strings, Images, Links, Java, Sounds };

// One change: its list and its position in that list.
struct ChangeRef {
    ChangeList list = ChangeList::Strings;
    size_t index = 0;
};

class PendingChanges {
  public:
    std::vector<Strings_> StringChanges;
    std::vector<Images_> ImageChanges;
    std::vector<Links_> LinkChanges;
    std::vector<Java_> JavaChanges;
    std::vector<Sound_> SoundChanges;

    // The first 0x01 of text (the wanted end-of-string mark) becomes 0x00.
    void AppendStringChange(uint32_t addr, std::string text);
    void AppendLinkChange(uint32_t addr, uint32_t value, uint32_t prefix);
    // These write `bytes` into the next temporary file ("Image" n ".tmp", "Snd_" n ".tmp",
    // "JavaAPP" n ".tmp") and append the record. n counts the files of the list made so far and
    // never goes down, so a name is not given twice even after changes were removed. On a file
    // error they append nothing, set `error` and return false.
    bool AppendImageChange(TempDir& dir, uint32_t addr, uint32_t size, const std::string& bytes,
                           std::string& error);
    bool AppendSoundChange(TempDir& dir, uint32_t addr, const std::string& bytes,
                           std::string& error);
    bool AppendJavaChange(TempDir& dir, uint32_t dataAddr, uint32_t entryAddr,
                          const std::string& entryText, const std::string& bytes,
                          std::string& error);

    // Removes the changes named (positions before the removal; unknown ones are ignored) and
    // deletes the temporary files of the removed ones. Returns how many were removed.
    size_t remove(std::vector<ChangeRef> changes);

    size_t total() const;
    // The temporary files named by the records: replacements and kept original bytes.
    std::vector<std::string> temporaryFiles() const;
    // A temporary file name not used before for the original bytes of a change.
    std::string newOriginalFile(TempDir& dir);
    void deleteTemporaryFiles() const;
    // Empties all five lists (their temporary files are left alone).
    void clear();

    // Runs after every append, removal and clear (the window shows the count).
    void setObserver(std::function<void()> observer) { observer_ = std::move(observer); }

  private:
    void changed() const;

    size_t originalsNamed_ = 0;
    size_t imageFiles_ = 0;
    size_t javaFiles_ = 0;
    size_t soundFiles_ = 0;
    std::function<void()> observer_;
};

} // namespace tovallo
