#include "strings/StrReplaceTable.h"

#include "resources/FreeRegions.h"
#include "strings/StringSearch.h"
#include "strings/TextEncoding.h"
#include "workspace/Dialogs.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/PendingChanges.h"

#include <charconv>

namespace tovallo {

namespace {

uint32_t decimalOrZero(const std::string& text) {
    uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : 0;
}

bool isSelected(const std::vector<bool>& selected, size_t row) {
    return row < selected.size() && selected[row];
}

void release(const StrTable& row, FreeRegions& regions) {
    if (row.InFreeMem)
        regions.ReleaseReserved(row.Addr, row.Size);
}

} // namespace

std::array<std::string, StrReplaceColumns> StrReplaceCells(const StrTable& row) {
    return {"",
            row.SearchText,
            ToHexAddr(row.Addr),
            ToHexAddr(row.Addr + row.Size - 1u),
            row.ReplaceText,
            std::to_string(row.Size),
            row.Utf8 ? "1" : "0"};
}

bool StrReplaceTable::Add(const StringSearchFields& fields, uint32_t linkAddr, FreeRegions& regions,
                          Dialogs& dialogs) {
    if (fields.SearchText.empty() || fields.ReplaceText.empty() || fields.Searched.empty()) {
        dialogs.warn(msg::NotEnoughInformation);
        return false;
    }
    if (fields.ReplaceText.size() > MaxReplacementLength) {
        dialogs.errorText("The replacement is longer than " + std::to_string(MaxReplacementLength) +
                          " characters.");
        return false;
    }
    const auto found = ParseHexAddr(fields.StartAddr, &dialogs);
    if (!found)
        return false;
    for (const StrTable& row : rows_)
        if (row.FoundAddr == *found) {
            dialogs.warn(msg::AlreadyInTable);
            return false;
        }

    StrTable row;
    row.SearchText = fields.SearchText;
    row.ReplaceText = fields.ReplaceText + (fields.EndOfString ? std::string(1, EndCode) : "");
    row.Utf8 = fields.Utf8;
    row.Bytes = fields.Utf8 ? WinToUtf8(row.ReplaceText) : row.ReplaceText;
    row.Addr = row.FoundAddr = *found;
    row.LinkAddr = linkAddr;

    const size_t text = row.Bytes.size() - (fields.EndOfString ? 1 : 0);
    if (decimalOrZero(fields.StringSize) < text && linkAddr > 0 &&
        dialogs.ask(msg::StringLongerThanOriginal)) {
        // In free memory nothing follows the string, so it must carry its own end.
        const size_t size = row.Bytes.size() + (fields.EndOfString ? 0 : 1);
        if (const uint32_t start = regions.ReserveFree(static_cast<uint32_t>(size))) {
            if (!fields.EndOfString) {
                row.Bytes += EndCode;
                row.ReplaceText += EndCode;
            }
            row.Addr = start;
            row.InFreeMem = true;
        } else {
            dialogs.warn(msg::NotEnoughFreeMemory);
        }
    }
    row.Size = static_cast<uint16_t>(row.Bytes.size());
    rows_.push_back(std::move(row));
    return true;
}

void StrReplaceTable::DeleteSelected(const std::vector<bool>& selected, FreeRegions& regions) {
    std::vector<StrTable> kept;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (isSelected(selected, i))
            release(rows_[i], regions);
        else
            kept.push_back(std::move(rows_[i]));
    }
    rows_ = std::move(kept);
}

void StrReplaceTable::DeleteAll(FreeRegions& regions) {
    for (const StrTable& row : rows_)
        release(row, regions);
    rows_.clear();
}

void StrReplaceTable::ModifyFile(const std::vector<bool>& selected, FreeRegions& regions,
                                 PendingChanges& changes, Dialogs& dialogs) {
    std::vector<StrTable> kept;
    for (size_t i = 0; i < rows_.size(); ++i) {
        StrTable& row = rows_[i];
        if (!isSelected(selected, i)) {
            kept.push_back(std::move(row));
            continue;
        }
        uint32_t at = row.Addr;
        if (row.InFreeMem) {
            at = regions.TakeReserved(row.Addr, row.Size);
            if (at == 0) {
                dialogs.warn(msg::NotEnoughAllocatedMemory);
                continue;
            }
            changes.AppendLinkChange(row.LinkAddr, at, 0);
            // The block's header keeps count, so a later scan hands out only what follows.
            changes.AppendLinkChange(row.Addr + 8, at - row.Addr + row.Size, 0);
        }
        changes.AppendStringChange(at, row.Bytes);
    }
    rows_ = std::move(kept);
}

size_t StrReplaceTable::DropRowsIn(const std::vector<OffsetRange>& freed, FreeRegions& regions) {
    const auto inFreed = [&](const StrTable& row) {
        for (const OffsetRange& range : freed) {
            if (row.LinkAddr > 0 && range.contains(row.LinkAddr))
                return true;
            if (!row.InFreeMem && range.overlaps(row.Addr, row.Size))
                return true;
        }
        return false;
    };
    std::vector<StrTable> kept;
    for (StrTable& row : rows_) {
        if (inFreed(row))
            release(row, regions);
        else
            kept.push_back(std::move(row));
    }
    const size_t dropped = rows_.size() - kept.size();
    rows_ = std::move(kept);
    return dropped;
}

} // namespace tovallo
