#include "images/ImageTable.h"

#include "workspace/Dialogs.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"

#include <algorithm>

namespace tovallo {

uint32_t CurrentPictureSize(const CurrentPicture& current) {
    switch (current.Type) {
    case ImageType::Raw16:
        return Raw16Size(current.Width, current.Height);
    case ImageType::Wbmp:
        return WbmpSize(current.Width, current.Height);
    default:
        return current.Length09;
    }
}

std::string ColourText(ImageType type) {
    return type == ImageType::Wbmp ? "1*" : "16*";
}

AddResult AddCurrentPicture(ImageTable& table, const CurrentPicture& current,
                            const std::string& name, Dialogs& dialogs) {
    if (name.empty()) {
        dialogs.warn(msg::EnterImageName);
        return AddResult::NoName;
    }
    const std::string address = ToHexAddr(current.Address);
    if (std::any_of(table.begin(), table.end(),
                    [&](const ImageEntry& e) { return e.Address == address; })) {
        dialogs.warn(msg::AlreadyInTable);
        return AddResult::Duplicate;
    }
    table.push_back({name, address, std::to_string(CurrentPictureSize(current)),
                     DimensionText(current.Width, current.Height), ColourText(current.Type),
                     ImageTypeName(current.Type)});
    return AddResult::Added;
}

size_t TableRowFor(ImageTable& table, const CurrentPicture& current, uint32_t listed,
                   const std::string& name) {
    const std::string address = ToHexAddr(listed);
    const auto it = std::find_if(table.begin(), table.end(),
                                 [&](const ImageEntry& e) { return e.Address == address; });
    if (it != table.end())
        return static_cast<size_t>(it - table.begin());
    table.push_back({name, address, std::to_string(CurrentPictureSize(current)),
                     DimensionText(current.Width, current.Height), ColourText(current.Type),
                     ImageTypeName(current.Type)});
    return table.size() - 1;
}

void ImportFoundPictures(const ByteReader& read, ImageTable& table, const FoundPictureList& found,
                         CurrentPicture& current, TypeChoice choice, Dialogs& dialogs) {
    size_t leftOut = 0;
    for (size_t r = 0; r < found.size(); ++r) {
        const FoundPicture& row = found[r];
        const int width = row.hasDimension() ? row.Width : current.Width;
        const int height = row.hasDimension() ? row.Height : current.Height;
        if (!IsPictureSize(width, height)) {
            ++leftOut;
            continue;
        }
        current.Address = row.Address;
        current.Width = width;
        current.Height = height;
        const ImageType type = DetectImageType(read, current, current.Address, choice);
        uint32_t size = 0;
        if (type == ImageType::Raw16) {
            size = Raw16Size(current.Width, current.Height);
            ++current.Address;
        } else if (type == ImageType::Wbmp) {
            size = WbmpSize(current.Width, current.Height);
        } else if (type == ImageType::Image09) {
            const Decoded09 d = DecodeImage09At(read, current.Address, current.Width,
                                                current.Height, Decode09Mode::Measure);
            current.Length09 = d.length;
            size = d.length;
        }
        ImageEntry entry{"Image_" + std::to_string(r + 1),
                         row.addressText(),
                         std::to_string(size),
                         row.dimensionText(),
                         ColourText(current.Type),
                         ImageTypeName(current.Type)};
        entry.AddressIsTypeByte = type == ImageType::Raw16;
        table.push_back(std::move(entry));
    }
    if (leftOut > 0)
        dialogs.errorText(std::to_string(leftOut) +
                          " picture(s) of the list have a dimension outside 1-320 x 1-240 and "
                          "were not imported.");
}

std::optional<uint32_t> RowPictureAddress(const ImageEntry& entry, Dialogs& dialogs) {
    std::string text = entry.Address;
    CleanHexText(text);
    const auto address = ParseHexAddr(text, &dialogs);
    if (!address)
        return std::nullopt;
    const bool pastTypeByte =
        entry.AddressIsTypeByte && entry.Type == ImageTypeName(ImageType::Raw16);
    return *address + (pastTypeByte ? 1u : 0u);
}

} // namespace tovallo
