#include "workspace/SaveChanges.h"

#include "workspace/ChangeChecks.h"
#include "workspace/Dialogs.h"
#include "workspace/FirmwareFile.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/OutputFile.h"
#include "workspace/UndoFile.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
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

// Every firmware range the save writes, in any order.
std::vector<ByteRange> savedRanges(const Workspace& ws) {
    const PendingChanges& c = ws.changes;
    std::vector<ByteRange> ranges;
    auto fileBytes = [](const std::string& name) {
        return static_cast<uint64_t>(std::max<int64_t>(FileSizeOf(name), 0));
    };
    for (const Strings_& s : c.StringChanges)
        ranges.push_back({s.Addr, s.Text.size()});
    for (const Images_& i : c.ImageChanges)
        ranges.push_back({i.Addr, fileBytes(i.FileName)});
    for (const Links_& l : c.LinkChanges)
        ranges.push_back(l.Prefix != 0 ? ByteRange{l.Addr - 4ULL, 8} : ByteRange{l.Addr, 4});
    for (const Java_& j : c.JavaChanges) {
        ranges.push_back({j.DataAddr, fileBytes(j.FileName)});
        ranges.push_back({j.EntryAddr, j.EntryText.size()});
        ranges.push_back({uint64_t{j.EntryAddr} + ws.profile.JavaSizeOffset, 4});
    }
    for (const Sound_& s : c.SoundChanges)
        ranges.push_back({s.Addr, fileBytes(s.FileName)});
    return ranges;
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

// A write stopped the save: says why and where the replaced bytes are, and offers to roll back
// at once (No keeps the undo file, so Save All can be repeated or the rollback done later).
SaveSummary writeFailed(Workspace& ws, Dialogs& dialogs, const std::string& what,
                        const std::string& undo) {
    const std::string reason = std::strerror(errno);
    const std::string failure = "Writing " + what + " into the firmware failed: " + reason + ".";
    if (undo.empty()) {
        dialogs.errorText(failure);
        return {};
    }
    dialogs.errorText(failure + " The save stopped there; the undo file \"" + undo +
                      "\" holds the bytes the save replaced.");
    if (dialogs.askText("Roll the firmware back now to the bytes it held before this save? No "
                        "keeps the undo file: Save All can be repeated, and the rollback is "
                        "offered again when the firmware is opened.")) {
        std::string error;
        if (RollBack(ws, undo, error))
            dialogs.informText(
                "The firmware was rolled back to the bytes it held before the save.");
        else
            dialogs.errorText("The firmware was not rolled back: " + error +
                              " The undo file stays as it was.");
    }
    return {};
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
    const std::vector<ByteRange> ranges = savedRanges(ws);
    std::string undoError;
    const std::optional<std::string> undo = WriteUndoFile(ws, ranges, undoError);
    if (!undo) {
        dialogs.errorText("The undo file of the save could not be written: " + undoError +
                          " Nothing was written.");
        return {};
    }
    const auto failed = [&](const std::string& what) {
        return writeFailed(ws, dialogs, what, *undo);
    };
    const PendingChanges& c = ws.changes;
    for (const Strings_& s : c.StringChanges)
        if (!ws.WriteAt(s.Addr, s.Text))
            return failed("the string at " + ToHexAddr(s.Addr));
    for (const Images_& i : c.ImageChanges)
        if (copyFileInto(ws, i.FileName, i.Addr) < 0)
            return failed("the picture at " + ToHexAddr(i.Addr));
    for (const Links_& l : c.LinkChanges) {
        const bool ok = l.Prefix != 0 ? ws.WriteAt(l.Addr - 4, le32(l.Prefix) + le32(l.Value))
                                      : ws.WriteAt(l.Addr, le32(l.Value));
        if (!ok)
            return failed("the link at " + ToHexAddr(l.Addr));
    }
    for (const Java_& j : c.JavaChanges) {
        const int64_t size = copyFileInto(ws, j.FileName, j.DataAddr);
        if (size < 0 || !ws.WriteAt(j.EntryAddr, j.EntryText) ||
            !ws.WriteAt(j.EntryAddr + ws.profile.JavaSizeOffset, le32(static_cast<uint32_t>(size))))
            return failed("the Java application at " + ToHexAddr(j.DataAddr));
    }
    for (const Sound_& s : c.SoundChanges)
        if (copyFileInto(ws, s.FileName, s.Addr) < 0)
            return failed("the sound at " + ToHexAddr(s.Addr));
    if (!ws.firmware.flush())
        return failed("the changes");
    // Only now, with every byte on the disk, is the undo file no longer needed, unless it also
    // carries the bytes of an unfinished save the user kept for later.
    if (!ws.keptUndoFile.empty())
        ws.keptUndoFile = *undo;
    else if (!undo->empty())
        RemoveUndoFile(*undo);
    SaveSummary done{true, c.total(), 0};
    for (const ByteRange& r : ranges)
        done.bytes += r.length;
    return done;
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
