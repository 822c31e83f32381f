#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

class PendingChanges;

enum class PatchKind { String, Picture, AddrDim, JavaMIDlet, SoundMusic };

// "String", "Picture", "Addr&Dim", "JavaMIDlet", "Sound/Music".
const char* PatchKindName(PatchKind kind);

// One pending change as a row of the patch table.
struct PatchRow {
    bool Checked = false;
    size_t Index = 0; // position in its pending-change list
    PatchKind Kind = PatchKind::String;
    uint32_t Start = 0; // firmware offset where the patch bytes begin
    int64_t Size = 0;   // number of patch bytes
    std::string Value;  // new text, file name or link value text
};

// The patch table of the S3 converter: one row per pending change, sorted by start address.
class PatchTable {
  public:
    // Rebuilds the rows from the five lists (strings, pictures, links, Java, sounds, each in
    // order, then sorted by start; equal starts keep that order). Rows start unchecked.
    void Fill(const PendingChanges& changes);
    void SelectAll();
    void SetChecked(size_t row, bool checked) { rows_.at(row).Checked = checked; }

    bool empty() const { return rows_.empty(); }
    const std::vector<PatchRow>& rows() const { return rows_; }
    // Columns 1-5 of a row as the grid shows them (column 0 is the check box).
    std::array<std::string, 5> cells(size_t row) const;

  private:
    std::vector<PatchRow> rows_;
};

// Whether the change a row was made from is still in its list.
bool RowMatchesChanges(const PatchRow& row, const PendingChanges& changes);

// The bytes of a link change as patched: Prefix (when not 0) then Value, least significant
// byte first.
std::string LinkPatchBytes(uint32_t value, uint32_t prefix);

} // namespace tovallo
