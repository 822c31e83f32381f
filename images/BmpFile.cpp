#include "images/BmpFile.h"

#include "workspace/OutputFile.h"

#include <stb_image.h>
#include <stb_image_write.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

namespace tovallo {

namespace {

// Far beyond any phone picture or animation frame, and small enough that a corrupt header
// cannot make the reader allocate gigabytes.
constexpr int64_t MaxBmpSide = 16384;
constexpr std::streamoff MaxBmpFileSize = 1 << 30;

uint32_t u16At(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
}
uint32_t u32At(const std::string& b, size_t at) {
    return u16At(b, at) | u16At(b, at + 2) << 16;
}

// Checks what the file promises against what it holds before a decoder sees it.
bool checkHeader(const std::string& b, std::string& error) {
    if (b.size() < 26 || b[0] != 'B' || b[1] != 'M') {
        error = "not a BMP file";
        return false;
    }
    const uint32_t dataOffset = u32At(b, 10);
    const uint32_t headerSize = u32At(b, 14);
    int64_t width = 0, height = 0;
    uint32_t bpp = 0, compression = 0;
    if (headerSize == 12) {
        width = u16At(b, 18);
        height = u16At(b, 20);
        bpp = u16At(b, 24);
    } else if (headerSize >= 40 && b.size() >= 54) {
        width = static_cast<int32_t>(u32At(b, 18));
        height = static_cast<int32_t>(u32At(b, 22));
        bpp = u16At(b, 28);
        compression = u32At(b, 30);
    } else {
        error = "BMP header is damaged or truncated";
        return false;
    }
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        error = "BMP with " + std::to_string(bpp) + " bits per pixel is not supported";
        return false;
    }
    if (compression != 0 && !(compression == 3 && (bpp == 16 || bpp == 32))) {
        error = "compressed BMP files are not supported";
        return false;
    }
    if (height < 0)
        height = -height;
    if (width <= 0 || height <= 0 || width > MaxBmpSide || height > MaxBmpSide) {
        error = "BMP dimensions " + std::to_string(width) + "x" + std::to_string(height) +
                " are out of range";
        return false;
    }
    const int64_t rowBytes = (width * bpp + 31) / 32 * 4;
    if (dataOffset < 14 + headerSize ||
        static_cast<int64_t>(dataOffset) + rowBytes * height > static_cast<int64_t>(b.size())) {
        error = "BMP file is truncated";
        return false;
    }
    return true;
}

void appendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                               static_cast<size_t>(size));
}

} // namespace

bool DecodeBmp(const std::string& bytes, Picture& picture, std::string& error) {
    if (!checkHeader(bytes, error))
        return false;
    int width = 0, height = 0, channels = 0;
    const std::unique_ptr<stbi_uc, void (*)(void*)> rgb(
        stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                              static_cast<int>(bytes.size()), &width, &height, &channels, 3),
        stbi_image_free);
    if (!rgb) {
        error = std::string("BMP file cannot be read: ") + stbi_failure_reason();
        return false;
    }
    Picture out(width, height);
    for (size_t i = 0; i < out.Pixels.size(); ++i)
        out.Pixels[i] = MakeRgb24(rgb.get()[3 * i], rgb.get()[3 * i + 1], rgb.get()[3 * i + 2]);
    picture = std::move(out);
    return true;
}

bool ReadBmpFile(const std::string& path, Picture& picture, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > MaxBmpFileSize) {
        error = path + ": not a BMP file";
        return false;
    }
    in.seekg(0);
    std::string bytes(static_cast<size_t>(size), '\0');
    if (!in.read(bytes.data(), size)) {
        error = "cannot read " + path;
        return false;
    }
    if (!DecodeBmp(bytes, picture, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::string EncodeBmp(const Picture& picture) {
    std::vector<uint8_t> rgb;
    rgb.reserve(picture.Pixels.size() * 3);
    for (Rgb24 p : picture.Pixels) {
        rgb.push_back(static_cast<uint8_t>(RedOf(p)));
        rgb.push_back(static_cast<uint8_t>(GreenOf(p)));
        rgb.push_back(static_cast<uint8_t>(BlueOf(p)));
    }
    std::string out;
    stbi_write_bmp_to_func(appendBytes, &out, picture.Width, picture.Height, 3, rgb.data());
    return out;
}

bool WriteBmpFile(const std::string& path, const Picture& picture, std::string& error) {
    if (picture.empty()) {
        error = "there is no picture to write";
        return false;
    }
    OutputFile out = OutputFile::Create(path);
    if (!out.write(EncodeBmp(picture)) || !out.commit()) {
        error = "cannot write " + path + (out.error().empty() ? "" : ": " + out.error());
        return false;
    }
    return true;
}

} // namespace tovallo
