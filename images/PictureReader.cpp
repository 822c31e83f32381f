#include "images/PictureReader.h"

#include "images/Raw16Codec.h"
#include "images/WbmpCodec.h"
#include "workspace/Workspace.h"

#include <algorithm>

namespace tovallo {

ByteReader FirmwareReader(Workspace& ws) {
    return [&ws](uint64_t offset, size_t count, uint8_t* buffer) -> size_t {
        if (offset > UINT32_MAX)
            return 0;
        return ws.ReadAt(static_cast<uint32_t>(offset), count, buffer);
    };
}

std::vector<uint8_t> ReadPictureBytes(const ByteReader& read, uint32_t address, size_t count,
                                      size_t* available) {
    std::vector<uint8_t> bytes(count, 0);
    const size_t got = count == 0 ? 0 : read(address, count, bytes.data());
    if (available)
        *available = std::min(got, count);
    return bytes;
}

ImageType DetectImageType(const ByteReader& read, CurrentPicture& current, uint32_t address,
                          TypeChoice choice) {
    ImageType type = TypeOfChoice(choice);
    if (choice == TypeChoice::Auto) {
        uint8_t first = 0;
        type = read(address, 1, &first) == 1 ? TypeFromFirstByte(first) : ImageType::Unknown;
    }
    current.Type = type;
    return type;
}

Decoded09 DecodeImage09At(const ByteReader& read, uint32_t address, int width, int height,
                          Decode09Mode mode, size_t* available) {
    if (!IsPictureSize(width, height)) {
        if (available)
            *available = 0;
        return DecodeImage09(nullptr, 0, width, height, mode);
    }
    // Most pictures are small: start with one block and read more only when the packets need it.
    size_t count = 4096;
    for (;;) {
        size_t got = 0;
        const std::vector<uint8_t> bytes = ReadPictureBytes(read, address, count, &got);
        Decoded09 out = DecodeImage09(bytes.data(), got, width, height, mode);
        if (!out.ranPastData || got < count || count >= ImageBufferSize) {
            if (available)
                *available = got;
            return out;
        }
        count = std::min(count * 8, ImageBufferSize);
    }
}

std::optional<Picture> RenderCurrentPicture(const ByteReader& read, CurrentPicture& current,
                                            Decode09Outcome* outcome) {
    if (outcome)
        *outcome = Decode09Outcome::Ok;
    const int w = current.Width, h = current.Height;
    if (!IsPictureSize(w, h)) {
        if (outcome)
            *outcome = Decode09Outcome::BadDimension;
        return std::nullopt;
    }
    switch (current.Type) {
    case ImageType::Raw16: {
        const auto bytes = ReadPictureBytes(read, current.Address, Raw16Size(w, h));
        return DecodeRaw16(bytes.data(), bytes.size(), w, h);
    }
    case ImageType::Wbmp: {
        const auto bytes = ReadPictureBytes(read, current.Address, WbmpSize(w, h));
        return DecodeWbmp(bytes.data(), bytes.size(), w, h);
    }
    case ImageType::Image09: {
        Decoded09 d = DecodeImage09At(read, current.Address, w, h, Decode09Mode::Draw);
        if (outcome)
            *outcome = d.outcome;
        if (d.outcome == Decode09Outcome::NotImage09)
            return std::nullopt;
        current.Length09 = d.length;
        return std::move(d.picture);
    }
    case ImageType::Unknown:
        break;
    }
    return std::nullopt;
}

} // namespace tovallo
