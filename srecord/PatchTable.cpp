#include "srecord/PatchTable.h"

#include "workspace/FirmwareFile.h"
#include "workspace/HexText.h"
#include "workspace/PendingChanges.h"

#include <algorithm>

namespace tovallo {

namespace {

// A file that cannot be read counts as empty; writing its patch reports it.
int64_t sizeOrZero(const std::string& path) {
    return std::max<int64_t>(FileSizeOf(path), 0);
}

void appendU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

} // namespace

const char* PatchKindName(PatchKind kind) {
    switch (kind) {
    case PatchKind::String:
        return "String";
    case PatchKind::Picture:
        return "Picture";
    case PatchKind::AddrDim:
        return "Addr&Dim";
    case PatchKind::JavaMIDlet:
        return "JavaMIDlet";
    case PatchKind::SoundMusic:
        return "Sound/Music";
    }
    return "";
}

bool RowMatchesChanges(const PatchRow& row, const PendingChanges& changes) {
    switch (row.Kind) {
    case PatchKind::String:
        return row.Index < changes.StringChanges.size();
    case PatchKind::Picture:
        return row.Index < changes.ImageChanges.size();
    case PatchKind::AddrDim:
        return row.Index < changes.LinkChanges.size();
    case PatchKind::JavaMIDlet:
        return row.Index < changes.JavaChanges.size();
    case PatchKind::SoundMusic:
        return row.Index < changes.SoundChanges.size();
    }
    return false;
}

std::string LinkPatchBytes(uint32_t value, uint32_t prefix) {
    std::string bytes;
    if (prefix != 0)
        appendU32(bytes, prefix);
    appendU32(bytes, value);
    return bytes;
}

void PatchTable::Fill(const PendingChanges& changes) {
    rows_.clear();
    for (size_t i = 0; i < changes.StringChanges.size(); ++i) {
        const Strings_& c = changes.StringChanges[i];
        rows_.push_back(
            {false, i, PatchKind::String, c.Addr, static_cast<int64_t>(c.Text.size()), c.Text});
    }
    for (size_t i = 0; i < changes.ImageChanges.size(); ++i) {
        const Images_& c = changes.ImageChanges[i];
        rows_.push_back({false, i, PatchKind::Picture, c.Addr, sizeOrZero(c.FileName), c.FileName});
    }
    for (size_t i = 0; i < changes.LinkChanges.size(); ++i) {
        const Links_& c = changes.LinkChanges[i];
        std::string value = ToHexAddr(c.Value);
        if (c.Prefix != 0) {
            // Appended piecewise: `" " + temporary` makes GCC 12 report a false -Wrestrict.
            value += ' ';
            value += ToHexAddr(c.Prefix);
        }
        rows_.push_back({false, i, PatchKind::AddrDim, c.Prefix != 0 ? c.Addr - 4 : c.Addr,
                         c.Prefix != 0 ? 8 : 4, value});
    }
    for (size_t i = 0; i < changes.JavaChanges.size(); ++i) {
        const Java_& c = changes.JavaChanges[i];
        rows_.push_back(
            {false, i, PatchKind::JavaMIDlet, c.DataAddr, sizeOrZero(c.FileName), c.FileName});
    }
    for (size_t i = 0; i < changes.SoundChanges.size(); ++i) {
        const Sound_& c = changes.SoundChanges[i];
        rows_.push_back({false, i, PatchKind::SoundMusic, c.Addr, c.Size, c.FileName});
    }
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const PatchRow& a, const PatchRow& b) { return a.Start < b.Start; });
}

void PatchTable::SelectAll() {
    for (PatchRow& r : rows_)
        r.Checked = true;
}

std::array<std::string, 5> PatchTable::cells(size_t row) const {
    const PatchRow& r = rows_.at(row);
    return {std::to_string(r.Index), PatchKindName(r.Kind), ToHexAddr(r.Start),
            std::to_string(r.Size), r.Value};
}

} // namespace tovallo
