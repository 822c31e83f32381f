#include "images/ViewerNavigation.h"

#include "images/Picture.h"
#include "workspace/Dialogs.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"

#include <algorithm>
#include <charconv>

namespace tovallo {

namespace {

// Rows of one dump page.
constexpr int64_t DumpRows = 320;

bool isListed(uint32_t address, const FoundPictureList& found) {
    return std::any_of(found.begin(), found.end(),
                       [&](const FoundPicture& p) { return p.Address == address; });
}

} // namespace

bool MoveDump(CurrentPicture& current, int64_t fileSize, DumpMove move, Dialogs& dialogs) {
    const int64_t a = current.Address;
    const int64_t row = current.Width * 2LL;
    const int64_t page = row * DumpRows;
    // "Up" is refused by the page test, not the row test, so the dump never runs past the end.
    const bool pastEnd = fileSize - page <= a;
    int64_t to = a;
    bool refused = false;
    int message = msg::EndOfFile;
    switch (move) {
    case DumpMove::NextPage:
        refused = pastEnd;
        to = a + page;
        break;
    case DumpMove::RowUp:
        refused = pastEnd;
        to = a + row;
        break;
    case DumpMove::PixelRight:
        refused = a >= fileSize - 2;
        to = a + 2;
        break;
    case DumpMove::PrevPage:
        refused = page >= a;
        to = a - page;
        message = msg::BeginningOfFile;
        break;
    case DumpMove::RowDown:
        refused = row >= a;
        to = a - row;
        message = msg::BeginningOfFile;
        break;
    case DumpMove::PixelLeft:
        refused = a < 3;
        to = a - 2;
        message = msg::BeginningOfFile;
        break;
    }
    if (refused) {
        dialogs.warn(message);
        return false;
    }
    current.Address = static_cast<uint32_t>(to);
    return true;
}

int MaxPictureSide(PictureSide side) {
    return side == PictureSide::Width ? MaxPictureWidth : MaxPictureHeight;
}

std::string PictureSideRangeText(PictureSide side) {
    return "1-" + std::to_string(MaxPictureSide(side));
}

void EnterPictureSide(CurrentPicture& current, PictureSide side, std::string text) {
    int& value = side == PictureSide::Width ? current.Width : current.Height;
    CleanDecText(text);
    // The edits hold at most four characters; longer text pasted in is no size either.
    if (text.empty() || text.size() > 4)
        return;
    int typed = 0;
    std::from_chars(text.data(), text.data() + text.size(), typed);
    if (typed >= 1 && typed <= MaxPictureSide(side))
        value = typed;
}

bool EnterAddress(const ByteReader& read, CurrentPicture& current, int64_t fileSize,
                  std::string text, AddressBase base, TypeChoice choice, Dialogs& dialogs) {
    uint64_t value = current.Address;
    if (!text.empty() && base == AddressBase::Hexadecimal) {
        CleanHexText(text);
        const auto parsed = ParseHexAddr(text, &dialogs);
        if (!parsed)
            return false;
        value = *parsed;
    } else if (!text.empty()) {
        CleanDecText(text);
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (!text.empty() && (ec != std::errc() || end != text.data() + text.size())) {
            dialogs.errorText(NotAnIntegerText(text));
            return false;
        }
    }
    // An address at or beyond the end of the file is ignored and the old picture drawn again.
    if (value < static_cast<uint64_t>(std::max<int64_t>(fileSize, 0)))
        current.Address = static_cast<uint32_t>(value);
    DetectImageType(read, current, current.Address, choice);
    return true;
}

uint32_t ListedAddress(const CurrentPicture& current, const FoundPictureList& found) {
    if (current.Type == ImageType::Raw16 && current.Address > 0 &&
        isListed(current.Address - 1, found))
        return current.Address - 1;
    return current.Address;
}

void SelectListedPicture(const ByteReader& read, CurrentPicture& current, uint32_t listed,
                         const FoundPictureList& found, TypeChoice choice) {
    current.Address = listed;
    if (DetectImageType(read, current, listed, choice) == ImageType::Raw16 &&
        isListed(listed, found))
        current.Address = listed + 1;
}

void ChangeTypeChoice(const ByteReader& read, CurrentPicture& current,
                      const FoundPictureList& found, TypeChoice choice) {
    SelectListedPicture(read, current, ListedAddress(current, found), found, choice);
}

} // namespace tovallo
