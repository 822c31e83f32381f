#include "srecord/PatchWriter.h"

#include "srecord/ConversionForms.h"
#include "srecord/PatchTable.h"
#include "srecord/S3Converter.h"
#include "srecord/S3Record.h"

#include "workspace/Dialogs.h"
#include "workspace/FirmwareFile.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Workspace.h"

#include <cstdio>
#include <cstring>

namespace tovallo {

namespace {

std::string u32Bytes(uint32_t v) {
    return LinkPatchBytes(v, 0);
}

// One output file of a patch: records come from BinToS3 runs and from header and end records
// written straight into the file. The first failure is remembered; the file is removed when
// closed after a failure, so no incomplete patch is left for flashing.
class PatchOutput {
  public:
    PatchOutput(Workspace& ws, Dialogs& dialogs, Progress& progress)
        : ws_(ws), dialogs_(dialogs), progress_(progress), converter_(dialogs, ws.pumpInterval) {}

    bool open(const std::string& path) {
        path_ = path;
        out_ = BinaryFile::Create(path);
        if (!out_.isOpen()) {
            dialogs_.warn(msg::OriginalNotFound);
            ok_ = false;
        }
        return ok_;
    }
    void straight(const char* record) {
        if (ok_ && !out_.write(record, std::strlen(record)))
            failWrite();
    }
    void convert(const std::string& file, uint32_t start, bool withHeader) {
        if (ok_)
            ok_ = converter_.BinToS3(file, out_, static_cast<int32_t>(start), 0, withHeader,
                                     ws_.ExcludedRegions, progress_);
    }
    // Writes `bytes` into the work file `name` of the temporary directory; empty on failure.
    std::string workFile(const std::string& name, const std::string& bytes) {
        if (!ok_)
            return {};
        const std::string path = ws_.tempDir.path().empty() ? "" : ws_.tempDir.file(name);
        BinaryFile f = path.empty() ? BinaryFile() : BinaryFile::Create(path);
        const bool written = f.isOpen() && f.write(bytes) && f.close();
        if (!written) {
            dialogs_.errorText("Cannot write the work file \"" + (path.empty() ? name : path) +
                               "\".");
            ok_ = false;
            if (!path.empty())
                std::remove(path.c_str());
            return {};
        }
        return path;
    }
    void fail() { ok_ = false; }
    void reportStaleTable() {
        dialogs_.errorText("The patch table does not match the pending changes any more.");
        ok_ = false;
    }
    bool ok() const { return ok_; }
    bool close() {
        if (!out_.close() && ok_)
            failWrite();
        if (!ok_ && !path_.empty())
            std::remove(path_.c_str());
        return ok_;
    }

  private:
    void failWrite() {
        dialogs_.warn(msg::Error);
        ok_ = false;
    }
    Workspace& ws_;
    Dialogs& dialogs_;
    Progress& progress_;
    S3Converter converter_;
    BinaryFile out_;
    std::string path_;
    bool ok_ = true;
};

void removeFile(const std::string& path) {
    if (!path.empty())
        std::remove(path.c_str());
}

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
    if (table.empty())
        return false;
    const auto chosen = ChooseOutputFile(dialogs, S3FileFilter, std::move(chosenName));
    if (!chosen)
        return false;
    const bool separate = mode == PatchFiles::DifferentFiles;
    PatchOutput one(ws, dialogs, progress);
    if (!separate) {
        if (!one.open(OneFilePatchName(*chosen)))
            return false;
        one.straight(S3HeaderRecord);
    }
    const auto& rows = table.rows();
    bool ok = true;
    for (size_t i = 0; i < rows.size() && ok; ++i) {
        if (!rows[i].Checked)
            continue;
        const size_t gridRow = i + 1;
        const bool lastRow = gridRow == rows.size();
        if (separate) {
            PatchOutput own(ws, dialogs, progress);
            if (own.open(RowPatchName(*chosen, gridRow)))
                writeRowPatch(own, ws, rows[i], gridRow, lastRow, true);
            ok = own.close();
        } else {
            writeRowPatch(one, ws, rows[i], gridRow, lastRow, false);
            ok = one.ok();
        }
    }
    if (!separate) {
        one.straight(S3EndRecord);
        ok = one.close();
    }
    if (ok)
        dialogs.inform(msg::ConversionCompleted);
    return ok;
}

bool CreateRestore(Workspace& ws, const PatchTable& table, Dialogs& dialogs, Progress& progress,
                   std::optional<std::string> chosenName) {
    if (table.empty() || !ws.FwIsOpen())
        return false;
    const auto chosen = ChooseOutputFile(dialogs, S3FileFilter, std::move(chosenName));
    if (!chosen)
        return false;
    PatchOutput out(ws, dialogs, progress);
    if (!out.open(*chosen))
        return false;
    out.straight(S3HeaderRecord);

    // The firmware's own bytes; a range that runs past the firmware's end cannot be restored.
    auto firmwareBytes = [&](uint32_t offset, int64_t count) -> std::optional<std::string> {
        std::string bytes = ws.readBytes(offset, static_cast<size_t>(count));
        if (static_cast<int64_t>(bytes.size()) == count)
            return bytes;
        dialogs.errorText("The firmware holds no bytes for " + std::to_string(count) +
                          " bytes at " + ToHexAddr(offset) + "; the restore file is not made.");
        out.fail();
        return std::nullopt;
    };

    const auto& rows = table.rows();
    for (size_t i = 0; i < rows.size() && out.ok(); ++i) {
        const PatchRow& row = rows[i];
        if (!row.Checked)
            continue;
        const std::string n = std::to_string(i + 1);
        if (!RowMatchesChanges(row, ws.changes)) {
            out.reportStaleTable();
            break;
        }
        const auto original = firmwareBytes(row.Start, row.Size);
        if (!original)
            break;
        const std::string work = out.workFile("p_rest_" + n, *original);
        out.convert(work, row.Start, false);
        if (row.Kind == PatchKind::JavaMIDlet && out.ok()) {
            const Java_& java = ws.changes.JavaChanges.at(row.Index);
            const auto entry = firmwareBytes(java.EntryAddr, ws.profile.JavaSizeOffset + 8);
            if (entry && !out.workFile("p_rest_" + n, *entry).empty()) {
                out.straight(S3EndRecord);
                out.convert(work, java.EntryAddr, false);
                if (i + 1 != rows.size())
                    out.straight(S3EndRecord);
            }
        }
        removeFile(work);
    }
    out.straight(S3EndRecord);
    if (!out.close())
        return false;
    dialogs.inform(msg::ConversionCompleted);
    return true;
}

} // namespace tovallo
