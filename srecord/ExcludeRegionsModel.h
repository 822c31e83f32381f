#pragma once

#include "workspace/Workspace.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

class Dialogs;

// The regions dialog of the S3 converter ("Exclude addresses"): a list of regions kept sorted
// by start, the two edits of the region to add, and the preset list. The dialog lives for the
// whole run, so the list shown is the one last stored with Ok.
class ExcludeRegionsModel {
  public:
    // The preset item of the phone-model list.
    static constexpr const char* PresetC200 = "SGH-C200,X120,P730";

    std::string LEStart; // typed start of the region to add
    std::string LEStop;  // typed stop (inclusive)

    const std::vector<AddressRegion>& rows() const { return rows_; }
    // The grid's cells of a row: start and stop as address text.
    std::string startCell(size_t row) const;
    std::string stopCell(size_t row) const;

    // "Add region": normalises both edits (writing the text back); an empty edit, a number
    // beyond 32 bits (reported through `dialogs`) or a stop below the start adds nothing.
    // Returns whether a row was added.
    bool AddRegion(Dialogs* dialogs = nullptr);
    // "Delete region" on a row; rows below move up.
    void DeleteRegion(size_t row);
    // A click on a row copies its cells into the edits.
    void SelectRow(size_t row);
    // Selecting a preset: the list is replaced by the model's regions.
    void LoadPreset(const std::string& item);
    void Clear() { rows_.clear(); }
    // "Ok": the rows become the excluded regions.
    void Ok(std::vector<AddressRegion>& excluded) const { excluded = rows_; }

  private:
    std::vector<AddressRegion> rows_;
};

} // namespace tovallo
