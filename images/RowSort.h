#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tovallo {

class Dialogs;

// Row sorts shared by the grids. Rows are moved whole; rows with equal keys keep their order.

// Orders rows by the bytes of one cell (unsigned character codes, case-sensitive); a text that
// is a prefix of another comes first. A text reads as character 0 past its end.
int CompareCellTexts(const std::string& a, const std::string& b);

// A cell as the platform's integer conversion reads it: decimal, or hexadecimal after "0x",
// "0X", "$", "x" or "X"; an optional sign and surrounding blanks.
std::optional<int64_t> ParseCellNumber(const std::string& text);

template <class Row>
void SortRowsByText(std::vector<Row>& rows,
                    const std::function<const std::string&(const Row&)>& cell) {
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        return CompareCellTexts(cell(a), cell(b)) < 0;
    });
}

// Orders rows by the numeric value of one cell. A cell that is no number is reported through
// `dialogs` and the rows stay as they were (returns false).
template <class Row>
bool SortRowsByNumber(std::vector<Row>& rows,
                      const std::function<const std::string&(const Row&)>& cell, Dialogs& dialogs);

void ReportNotANumber(Dialogs& dialogs, const std::string& text);

template <class Row>
bool SortRowsByNumber(std::vector<Row>& rows,
                      const std::function<const std::string&(const Row&)>& cell, Dialogs& dialogs) {
    if (rows.size() < 2)
        return true; // nothing is compared, so nothing is converted
    std::vector<std::pair<int64_t, size_t>> keys;
    keys.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto value = ParseCellNumber(cell(rows[i]));
        if (!value) {
            ReportNotANumber(dialogs, cell(rows[i]));
            return false;
        }
        keys.emplace_back(*value, i);
    }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Row> sorted;
    sorted.reserve(rows.size());
    for (const auto& key : keys)
        sorted.push_back(std::move(rows[key.second]));
    rows = std::move(sorted);
    return true;
}

} // namespace tovallo
