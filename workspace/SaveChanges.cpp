#include "workspace/SaveChanges.h"

#include "workspace/Dialogs.h"
#include "workspace/FirmwareFile.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace tovallo {

namespace {

constexpr size_t CopyBlock = 4096;

std::string le32(uint32_t v) {
    std::string b(4, '\0');
    for (size_t i = 0; i < 4; ++i)
        b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return b;
}

// Checks every change before anything is written; returns the first problem, empty when none.
class ChangeChecker {
  public:
    explicit ChangeChecker(const Workspace& ws) : size_(static_cast<uint64_t>(ws.FwSize())) {}

    std::string problem() const { return problem_; }

    void bytes(const char* kind, uint64_t addr, uint64_t count) {
        if (problem_.empty() && addr + count > size_)
            problem_ = std::string(kind) + " change at " + ToHexAddr(static_cast<uint32_t>(addr)) +
                       " (" + std::to_string(count) +
                       " bytes) lies outside the firmware; nothing was written.";
    }
    // Size of a readable temporary file, or -1 after noting the problem.
    int64_t file(const char* kind, const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        const int64_t size = in ? FileSizeOf(name) : -1;
        if (size < 0 && problem_.empty())
            problem_ = std::string("The temporary file of a ") + kind + " change (\"" + name +
                       "\") is missing or unreadable; nothing was written.";
        return size;
    }

  private:
    uint64_t size_;
    std::string problem_;
};

std::string checkAll(Workspace& ws) {
    ChangeChecker check(ws);
    const PendingChanges& c = ws.changes;
    for (const Strings_& s : c.StringChanges)
        check.bytes("A string", s.Addr, s.Text.size());
    for (const Images_& i : c.ImageChanges) {
        const int64_t size = check.file("picture", i.FileName);
        if (size >= 0)
            check.bytes("A picture", i.Addr, static_cast<uint64_t>(size));
    }
    for (const Links_& l : c.LinkChanges) {
        if (l.Prefix != 0 && l.Addr < 4)
            check.bytes("A link", 0, static_cast<uint64_t>(ws.FwSize()) + 1);
        else if (l.Prefix != 0)
            check.bytes("A link", l.Addr - 4, 8);
        else
            check.bytes("A link", l.Addr, 4);
    }
    for (const Java_& j : c.JavaChanges) {
        const int64_t size = check.file("Java", j.FileName);
        if (size >= 0)
            check.bytes("A Java", j.DataAddr, static_cast<uint64_t>(size));
        check.bytes("A Java entry", j.EntryAddr, j.EntryText.size());
        check.bytes("A Java entry", static_cast<uint64_t>(j.EntryAddr) + ws.profile.JavaSizeOffset,
                    4);
    }
    for (const Sound_& s : c.SoundChanges) {
        const int64_t size = check.file("sound", s.FileName);
        if (size >= 0)
            check.bytes("A sound", s.Addr, static_cast<uint64_t>(size));
    }
    return check.problem();
}

// Copies a whole file into the firmware at addr; returns the bytes copied or -1 on an error.
int64_t copyFileInto(Workspace& ws, const std::string& name, uint32_t addr) {
    std::ifstream in(name, std::ios::binary);
    if (!in)
        return -1;
    std::array<char, CopyBlock> block{};
    uint64_t at = addr;
    while (in) {
        in.read(block.data(), block.size());
        const auto got = static_cast<size_t>(in.gcount());
        if (got == 0)
            break;
        if (!ws.firmware.writeAt(at, reinterpret_cast<const uint8_t*>(block.data()), got))
            return -1;
        at += got;
    }
    if (in.bad())
        return -1;
    return static_cast<int64_t>(at - addr);
}

SaveSummary writeFailed(Dialogs& dialogs, const std::string& what) {
    dialogs.errorText("Writing " + what + " into the firmware failed; the save stopped there.");
    return {};
}

// What a completed save wrote: every change, with the bytes each puts into the firmware.
SaveSummary summarize(const Workspace& ws) {
    const PendingChanges& c = ws.changes;
    SaveSummary done{true, c.total(), 0};
    auto fileBytes = [](const std::string& name) {
        return static_cast<uint64_t>(std::max<int64_t>(FileSizeOf(name), 0));
    };
    for (const Strings_& s : c.StringChanges)
        done.bytes += s.Text.size();
    for (const Images_& i : c.ImageChanges)
        done.bytes += fileBytes(i.FileName);
    for (const Links_& l : c.LinkChanges)
        done.bytes += l.Prefix != 0 ? 8 : 4;
    for (const Java_& j : c.JavaChanges)
        done.bytes += fileBytes(j.FileName) + j.EntryText.size() + 4;
    for (const Sound_& s : c.SoundChanges)
        done.bytes += fileBytes(s.FileName);
    return done;
}

} // namespace

SaveSummary SaveAllChanges(Workspace& ws, Dialogs& dialogs) {
    if (!ws.FwIsOpen())
        return {};
    const std::string problem = checkAll(ws);
    if (!problem.empty()) {
        dialogs.errorText(problem);
        return {};
    }
    const PendingChanges& c = ws.changes;
    for (const Strings_& s : c.StringChanges)
        if (!ws.WriteAt(s.Addr, s.Text))
            return writeFailed(dialogs, "the string at " + ToHexAddr(s.Addr));
    for (const Images_& i : c.ImageChanges)
        if (copyFileInto(ws, i.FileName, i.Addr) < 0)
            return writeFailed(dialogs, "the picture at " + ToHexAddr(i.Addr));
    for (const Links_& l : c.LinkChanges) {
        const bool ok = l.Prefix != 0 ? ws.WriteAt(l.Addr - 4, le32(l.Prefix) + le32(l.Value))
                                      : ws.WriteAt(l.Addr, le32(l.Value));
        if (!ok)
            return writeFailed(dialogs, "the link at " + ToHexAddr(l.Addr));
    }
    for (const Java_& j : c.JavaChanges) {
        const int64_t size = copyFileInto(ws, j.FileName, j.DataAddr);
        if (size < 0 || !ws.WriteAt(j.EntryAddr, j.EntryText) ||
            !ws.WriteAt(j.EntryAddr + ws.profile.JavaSizeOffset, le32(static_cast<uint32_t>(size))))
            return writeFailed(dialogs, "the Java application at " + ToHexAddr(j.DataAddr));
    }
    for (const Sound_& s : c.SoundChanges)
        if (copyFileInto(ws, s.FileName, s.Addr) < 0)
            return writeFailed(dialogs, "the sound at " + ToHexAddr(s.Addr));
    if (!ws.firmware.flush())
        return writeFailed(dialogs, "the changes");
    return summarize(ws);
}

SaveSummary SaveAllChangesAsked(Workspace& ws, Dialogs& dialogs) {
    if (!ws.FwIsOpen() || !dialogs.ask(msg::KeepChanges))
        return {};
    return SaveAllChanges(ws, dialogs);
}

bool CloseFirmware(Workspace& ws, Dialogs& dialogs) {
    if (ws.FwSize() < 1) {
        ws.firmware.close();
        return true;
    }
    if (ws.changes.total() > 0) {
        switch (dialogs.askYesNoCancel(msg::KeepChanges)) {
        case Dialogs::Answer::Cancel:
            return false;
        case Dialogs::Answer::Yes:
            if (!SaveAllChanges(ws, dialogs))
                return false;
            break;
        case Dialogs::Answer::No:
            break;
        }
    }
    ws.changes.deleteTemporaryFiles();
    ws.firmware.close();
    return true;
}

} // namespace tovallo
