#include "srecord/ExcludeRegionsModel.h"

#include "workspace/HexText.h"

#include <algorithm>
#include <optional>

namespace tovallo {

namespace {

// Normalises a typed address in place; nothing when the edit is empty or the number does not
// fit in 32 bits.
std::optional<uint32_t> takeAddress(std::string& text, Dialogs* dialogs) {
    if (text.empty())
        return std::nullopt;
    CleanHexText(text);
    return ParseHexAddr(text, dialogs);
}

} // namespace

std::string ExcludeRegionsModel::startCell(size_t row) const {
    return ToHexAddr(rows_.at(row).Start);
}

std::string ExcludeRegionsModel::stopCell(size_t row) const {
    return ToHexAddr(rows_.at(row).Stop);
}

bool ExcludeRegionsModel::AddRegion(Dialogs* dialogs) {
    const auto start = takeAddress(LEStart, dialogs);
    if (!start)
        return false;
    const auto stop = takeAddress(LEStop, dialogs);
    if (!stop || *stop < *start)
        return false;
    rows_.push_back({*start, *stop});
    // Sorted by start; rows with equal starts keep the order they were added in.
    std::stable_sort(
        rows_.begin(), rows_.end(),
        [](const AddressRegion& a, const AddressRegion& b) { return a.Start < b.Start; });
    return true;
}

void ExcludeRegionsModel::DeleteRegion(size_t row) {
    if (row < rows_.size())
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
}

void ExcludeRegionsModel::SelectRow(size_t row) {
    if (row >= rows_.size())
        return;
    LEStart = startCell(row);
    LEStop = stopCell(row);
}

void ExcludeRegionsModel::LoadPreset(const std::string& item) {
    if (item != PresetC200)
        return;
    rows_.clear();
    LEStart = "2000";
    LEStop = "3fff";
    AddRegion();
    LEStart = "8000";
    LEStop = "dfff";
    AddRegion();
}

} // namespace tovallo
