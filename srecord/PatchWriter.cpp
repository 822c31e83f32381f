#include "srecord/PatchWriter.h"

#include "srecord/ConversionForms.h"
#include "srecord/PatchTable.h"
#include "srecord/S3Converter.h"
#include "workspace/S3Record.h"

#include "workspace/ChangeChecks.h"
#include "workspace/Dialogs.h"
#include "workspace/FirmwareFile.h"
#include "workspace/MessageNumbers.h"
#include "workspace/OutputFile.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace tovallo {

namespace {

constexpr size_t CopyBlock = 64 * 1024;

std::string u32Bytes(uint32_t v) {
    return LinkPatchBytes(v, 0);
}

void removeFile(const std::string& path) {
    if (!path.empty())
        std::remove(path.c_str());
}

// One output file of a patch: records come from BinToS3 runs and from header and end records
// written straight into the file. The first failure is remembered; the file belongs to an
// OutputFileSet that puts it in place only when the whole operation succeeded.
class PatchOutput {
  public:
    PatchOutput(Workspace& ws, Dialogs& dialogs, Progress& progress, OutputFileSet& files)
        : ws_(ws), dialogs_(dialogs), progress_(progress), files_(files),
          converter_(dialogs, ws.pumpInterval) {}

    bool open(const std::string& path) {
        out_ = &files_.create(path);
        if (!out_->isOpen()) {
            dialogs_.warn(msg::OriginalNotFound);
            ok_ = false;
        }
        return ok_;
    }
    void straight(const char* record) {
        if (ok_ && !out_->write(record, std::strlen(record)))
            failWrite();
    }
    void convert(const std::string& file, uint32_t start, bool withHeader) {
        if (ok_)
            ok_ = converter_.BinToS3(file, *out_, static_cast<int32_t>(start), 0, withHeader,
                                     ws_.ExcludedRegions, progress_);
    }
    // Writes `bytes` into the work file `name` of the temporary directory; empty on failure.
    std::string workFile(const std::string& name, const std::string& bytes) {
        return workFile(name, [&](OutputFile& f) { return f.write(bytes); });
    }
    // The firmware's bytes [offset, offset + count) as the work file `name`, copied in blocks.
    // A range outside the firmware is refused before anything is read.
    std::string firmwareWorkFile(const std::string& name, uint32_t offset, uint64_t count) {
        if (!ok_)
            return {};
        const std::string problem = RangeProblem(ws_, "A restored change", offset, count);
        if (!problem.empty()) {
            dialogs_.errorText(problem);
            ok_ = false;
            return {};
        }
        return workFile(name, [&](OutputFile& f) {
            std::vector<uint8_t> block(static_cast<size_t>(std::min<uint64_t>(count, CopyBlock)));
            for (uint64_t done = 0; done < count;) {
                const size_t want =
                    static_cast<size_t>(std::min<uint64_t>(CopyBlock, count - done));
                if (ws_.ReadAt(static_cast<uint32_t>(offset + done), want, block.data()) != want ||
                    !f.write(block.data(), want))
                    return false;
                done += want;
            }
            return true;
        });
    }
    void reportStaleTable() {
        dialogs_.errorText("The patch table does not match the pending changes any more.");
        ok_ = false;
    }
    bool ok() const { return ok_; }

  private:
    template <typename Fill> std::string workFile(const std::string& name, Fill fill) {
        if (!ok_)
            return {};
        const std::string path = ws_.tempDir.path().empty() ? "" : ws_.tempDir.file(name);
        OutputFile f = path.empty() ? OutputFile() : OutputFile::Create(path);
        if (!f.isOpen() || !fill(f) || !f.commit()) {
            dialogs_.errorText("Cannot write the work file \"" + (path.empty() ? name : path) +
                               "\".");
            ok_ = false;
            return {};
        }
        return path;
    }
    void failWrite() {
        dialogs_.warn(msg::Error);
        ok_ = false;
    }
    Workspace& ws_;
    Dialogs& dialogs_;
    Progress& progress_;
    OutputFileSet& files_;
    S3Converter converter_;
    OutputFile* out_ = nullptr;
    bool ok_ = true;
};

// The patch records of one row. With separate files each conversion brings its own header and
// end records; a Java change gets one header and one closing end record instead, so its file
// reads like its part of a one-file patch.
void writeRowPatch(PatchOutput& out, Workspace& ws, const PatchRow& row, size_t gridRow,
                   bool lastRow, bool separate) {
    const PendingChanges& changes = ws.changes;
    if (!RowMatchesChanges(row, changes)) {
        out.reportStaleTable();
        return;
    }
    const std::string n = std::to_string(gridRow);
    switch (row.Kind) {
    case PatchKind::String: {
        const std::string work =
            out.workFile("p_str_" + n, changes.StringChanges.at(row.Index).Text);
        out.convert(work, row.Start, separate);
        removeFile(work);
        break;
    }
    case PatchKind::AddrDim: {
        const Links_& link = changes.LinkChanges.at(row.Index);
        const std::string work =
            out.workFile("addr_dim_" + n, LinkPatchBytes(link.Value, link.Prefix));
        out.convert(work, row.Start, separate);
        removeFile(work);
        break;
    }
    case PatchKind::Picture:
    case PatchKind::SoundMusic:
        out.convert(row.Value, row.Start, separate);
        break;
    case PatchKind::JavaMIDlet: {
        const Java_& java = changes.JavaChanges.at(row.Index);
        if (separate)
            out.straight(S3HeaderRecord);
        out.convert(java.FileName, java.DataAddr, false);
        std::string work = out.workFile("java_temp_" + n, java.EntryText);
        out.straight(S3EndRecord);
        out.convert(work, java.EntryAddr, false);
        const int64_t size = FileSizeOf(java.FileName);
        work = out.workFile("java_temp_" + n, u32Bytes(static_cast<uint32_t>(size)));
        out.convert(work, java.EntryAddr + ws.profile.JavaSizeOffset, false);
        if (!lastRow || separate)
            out.straight(S3EndRecord);
        removeFile(work);
        break;
    }
    }
}

// The kept original of a row's change when Save All kept one of the row's size, else empty.
std::string keptOriginal(const PendingChanges& changes, const PatchRow& row) {
    std::string file;
    switch (row.Kind) {
    case PatchKind::String:
        file = changes.StringChanges.at(row.Index).OriginalFile;
        break;
    case PatchKind::Picture:
        file = changes.ImageChanges.at(row.Index).OriginalFile;
        break;
    case PatchKind::AddrDim:
        file = changes.LinkChanges.at(row.Index).OriginalFile;
        break;
    case PatchKind::JavaMIDlet:
        file = changes.JavaChanges.at(row.Index).OriginalFile;
        break;
    case PatchKind::SoundMusic:
        file = changes.SoundChanges.at(row.Index).OriginalFile;
        break;
    }
    return !file.empty() && FileSizeOf(file) == row.Size ? file : std::string();
}

// The records that put back what the row's change replaces. Work files are removed after use.
void writeRowRestore(PatchOutput& out, Workspace& ws, const PatchRow& row, size_t gridRow,
                     bool lastRow) {
    if (!RowMatchesChanges(row, ws.changes)) {
        out.reportStaleTable();
        return;
    }
    const std::string n = std::to_string(gridRow);
    std::string kept = keptOriginal(ws.changes, row);
    const std::string work = kept.empty() ? out.firmwareWorkFile("p_rest_" + n, row.Start,
                                                                 static_cast<uint64_t>(row.Size))
                                          : std::string();
    out.convert(kept.empty() ? work : kept, row.Start, false);
    removeFile(work);
    if (row.Kind != PatchKind::JavaMIDlet || !out.ok())
        return;
    const Java_& java = ws.changes.JavaChanges.at(row.Index);
    const uint64_t entrySize = uint64_t{ws.profile.JavaSizeOffset} + 8;
    kept = FileSizeOf(java.OriginalEntryFile) == static_cast<int64_t>(entrySize)
               ? java.OriginalEntryFile
               : std::string();
    const std::string entry =
        kept.empty() ? out.firmwareWorkFile("p_rest_" + n, java.EntryAddr, entrySize) : kept;
    if (entry.empty())
        return;
    out.straight(S3EndRecord);
    out.convert(entry, java.EntryAddr, false);
    if (!lastRow)
        out.straight(S3EndRecord);
    if (kept.empty())
        removeFile(entry);
}

// The files of a patch: one, or one per checked row.
std::vector<std::string> patchTargets(const PatchTable& table, PatchFiles mode,
                                      const std::string& chosen) {
    if (mode == PatchFiles::OneFile)
        return {OneFilePatchName(chosen)};
    std::vector<std::string> names;
    for (size_t i = 0; i < table.rows().size(); ++i)
        if (table.rows()[i].Checked)
            names.push_back(RowPatchName(chosen, i + 1));
    return names;
}

bool writePatch(Workspace& ws, const PatchTable& table, Dialogs& dialogs, Progress& progress,
                PatchFiles mode, const std::string& chosen, OutputFileSet& files) {
    const bool separate = mode == PatchFiles::DifferentFiles;
    PatchOutput one(ws, dialogs, progress, files);
    if (!separate) {
        if (!one.open(OneFilePatchName(chosen)))
            return false;
        one.straight(S3HeaderRecord);
    }
    const auto& rows = table.rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].Checked)
            continue;
        const size_t gridRow = i + 1;
        const bool lastRow = gridRow == rows.size();
        if (separate) {
            PatchOutput own(ws, dialogs, progress, files);
            if (own.open(RowPatchName(chosen, gridRow)))
                writeRowPatch(own, ws, rows[i], gridRow, lastRow, true);
            if (!own.ok())
                return false;
        } else {
            writeRowPatch(one, ws, rows[i], gridRow, lastRow, false);
            if (!one.ok())
                return false;
        }
    }
    if (!separate)
        one.straight(S3EndRecord);
    return one.ok();
}

bool writeRestore(Workspace& ws, const PatchTable& table, Dialogs& dialogs, Progress& progress,
                  const std::string& name, OutputFileSet& files) {
    PatchOutput out(ws, dialogs, progress, files);
    if (!out.open(name))
        return false;
    out.straight(S3HeaderRecord);
    const auto& rows = table.rows();
    for (size_t i = 0; i < rows.size() && out.ok(); ++i)
        if (rows[i].Checked)
            writeRowRestore(out, ws, rows[i], i + 1, i + 1 == rows.size());
    out.straight(S3EndRecord);
    return out.ok();
}

// What every patch and restore needs first: something to write and changes the firmware would
// take.
bool changesWritable(const Workspace& ws, const PatchTable& table, Dialogs& dialogs) {
    if (table.empty() || !ws.FwIsOpen())
        return false;
    const std::string problem = PendingChangesProblem(ws);
    if (!problem.empty()) {
        dialogs.errorText(problem);
        return false;
    }
    return true;
}

bool commitAndReport(OutputFileSet& files, Dialogs& dialogs) {
    if (!files.commitAll()) {
        dialogs.errorText(files.error());
        return false;
    }
    dialogs.inform(msg::ConversionCompleted);
    return true;
}

} // namespace

std::string PatchBaseName(const std::string& chosen) {
    std::string base = chosen;
    const auto at = base.find(".s3");
    if (at != std::string::npos)
        base.erase(at, 3);
    return base;
}

std::string OneFilePatchName(const std::string& chosen) {
    return PatchBaseName(chosen) + ".s3";
}

std::string RowPatchName(const std::string& chosen, size_t gridRow) {
    return PatchBaseName(chosen) + "_" + std::to_string(gridRow) + ".s3";
}

bool CreateS3Patch(Workspace& ws, const PatchTable& table, Dialogs& dialogs, Progress& progress,
                   PatchFiles mode, std::optional<std::string> chosenName) {
    if (!changesWritable(ws, table, dialogs))
        return false;
    const auto chosen = ChooseOutputName(dialogs, S3FileFilter, std::move(chosenName));
    if (!chosen || !ConfirmOutputs(ws, dialogs, patchTargets(table, mode, *chosen), {}))
        return false;
    OutputFileSet files;
    return writePatch(ws, table, dialogs, progress, mode, *chosen, files) &&
           commitAndReport(files, dialogs);
}

bool CreateRestore(Workspace& ws, const PatchTable& table, Dialogs& dialogs, Progress& progress,
                   std::optional<std::string> chosenName) {
    if (!changesWritable(ws, table, dialogs))
        return false;
    const auto chosen = ChooseOutputFile(ws, dialogs, S3FileFilter, std::move(chosenName), {});
    if (!chosen)
        return false;
    OutputFileSet files;
    return writeRestore(ws, table, dialogs, progress, *chosen, files) &&
           commitAndReport(files, dialogs);
}

bool CreatePatchAndRestore(Workspace& ws, const PatchTable& table, Dialogs& dialogs,
                           Progress& progress, PatchFiles mode, const std::string& chosenName,
                           const std::string& restoreName) {
    if (!changesWritable(ws, table, dialogs))
        return false;
    std::vector<std::string> targets = patchTargets(table, mode, chosenName);
    for (const std::string& target : targets)
        if (SameFile(target, restoreName) || std::filesystem::weakly_canonical(target) ==
                                                 std::filesystem::weakly_canonical(restoreName)) {
            dialogs.errorText("The restore file \"" + restoreName +
                              "\" would replace the patch \"" + target +
                              "\"; choose another name.");
            return false;
        }
    targets.push_back(restoreName);
    if (!ConfirmOutputs(ws, dialogs, targets, {}))
        return false;
    OutputFileSet files;
    return writePatch(ws, table, dialogs, progress, mode, chosenName, files) &&
           writeRestore(ws, table, dialogs, progress, restoreName, files) &&
           commitAndReport(files, dialogs);
}

} // namespace tovallo
