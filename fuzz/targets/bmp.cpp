// A BMP file chosen as a replacement picture: read whole or refused with a reason, and a picture
// read is written and read back unchanged.
#include "FuzzSupport.h"

#include "images/BmpFile.h"

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::WriteScratchFile("picture.bmp", fuzz::AsText(data, size));
    Picture picture;
    std::string error;
    if (!ReadBmpFile(path, picture, error)) {
        fuzz::Require(!error.empty() && picture.empty(), "a refusal says why and gives nothing");
        return 0;
    }
    fuzz::Require(picture.Width > 0 && picture.Height > 0 &&
                      picture.Pixels.size() == static_cast<size_t>(picture.Width) * picture.Height,
                  "a picture read is whole");
    Picture back;
    fuzz::Require(DecodeBmp(EncodeBmp(picture), back, error) && back == picture,
                  "a picture written reads back unchanged");
    return 0;
}
