#include "srecord/PatchPicture.h"

#include "srecord/BinaryFile.h"

#include "images/Picture.h"

#include <vector>

namespace tovallo {

std::optional<Decoded09> DecodePatchPicture(const PatchViewContent& view) {
    if (view.kind != PatchViewContent::Kind::Picture || view.width < 1 || view.height < 1 ||
        view.width > MaxPictureWidth || view.height > MaxPictureHeight)
        return std::nullopt;
    BinaryFile file = BinaryFile::OpenForReading(view.pictureFile);
    if (!file.isOpen())
        return std::nullopt;
    std::vector<uint8_t> bytes(ImageBufferSize);
    bytes.resize(file.read(bytes.data(), bytes.size()));
    return DecodeImage09(bytes.data(), bytes.size(), view.width, view.height, Decode09Mode::Draw);
}

} // namespace tovallo
