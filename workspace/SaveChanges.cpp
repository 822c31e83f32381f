#include "workspace/SaveChanges.h"

#include "workspace/ChangeChecks.h"
#include "workspace/Dialogs.h"
#include "workspace/FirmwareFile.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/OutputFile.h"
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

// Keeps the firmware bytes of [addr, addr + count) in a new temporary file named in `file`,
// unless the change kept them at an earlier save. Copied in blocks, never loaded whole.
bool keepOriginal(Workspace& ws, std::string& file, uint64_t addr, uint64_t count) {
    if (!file.empty())
        return true;
    const std::string name = ws.changes.newOriginalFile(ws.tempDir);
    if (name.empty())
        return false;
    OutputFile out = OutputFile::Create(name);
    std::array<uint8_t, CopyBlock> block{};
    for (uint64_t done = 0; out.isOpen() && done < count;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(CopyBlock, count - done));
        const size_t got = ws.firmware.readAt(addr + done, want, block.data());
        if (got == 0 || !out.write(block.data(), got))
            break;
        done += got;
    }
    if (!out.commit())
        return false;
    file = name;
    return true;
}

// Before the first save of a change, the bytes it will write over; all are kept before anything
// is written, so overlapping changes keep the firmware's own bytes.
bool keepOriginals(Workspace& ws) {
    PendingChanges& c = ws.changes;
    bool ok = true;
    for (Strings_& s : c.StringChanges)
        ok = ok && keepOriginal(ws, s.OriginalFile, s.Addr, s.Text.size());
    for (Images_& i : c.ImageChanges)
        ok = ok && keepOriginal(ws, i.OriginalFile, i.Addr,
                                static_cast<uint64_t>(FileSizeOf(i.FileName)));
    for (Links_& l : c.LinkChanges)
        ok = ok && (l.Prefix != 0 ? keepOriginal(ws, l.OriginalFile, l.Addr - 4, 8)
                                  : keepOriginal(ws, l.OriginalFile, l.Addr, 4));
    for (Java_& j : c.JavaChanges) {
        ok = ok && keepOriginal(ws, j.OriginalFile, j.DataAddr,
                                static_cast<uint64_t>(FileSizeOf(j.FileName)));
        ok = ok && keepOriginal(ws, j.OriginalEntryFile, j.EntryAddr,
                                uint64_t{ws.profile.JavaSizeOffset} + 8);
    }
    for (Sound_& s : c.SoundChanges)
        ok = ok && keepOriginal(ws, s.OriginalFile, s.Addr, s.Size);
    return ok;
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
    const std::string problem = PendingChangesProblem(ws);
    if (!problem.empty()) {
        dialogs.errorText(problem);
        return {};
    }
    if (!keepOriginals(ws)) {
        dialogs.errorText("The firmware bytes the changes replace could not be kept in the "
                          "temporary folder; nothing was written.");
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
