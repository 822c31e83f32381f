#include "images/ImageType.h"

#include <array>
#include <charconv>

namespace tovallo {

namespace {

const std::array<std::string, 5>& names() {
    static const std::array<std::string, 5> table = {"Unknown", "RAW-16", "WBMP", "09", "String"};
    return table;
}

std::optional<int> parseDecimalPart(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty())
        return std::nullopt;
    return value;
}

} // namespace

const std::string& ImageTypeName(ImageType type) {
    return names().at(static_cast<size_t>(type));
}

std::optional<ImageType> ImageTypeFromName(const std::string& name) {
    for (size_t i = 0; i < 4; ++i)
        if (names()[i] == name)
            return static_cast<ImageType>(i);
    return std::nullopt;
}

ImageType TypeFromFirstByte(uint8_t byte) {
    if (byte == 0x00)
        return ImageType::Raw16;
    if (byte == 0x09)
        return ImageType::Image09;
    return ImageType::Wbmp;
}

ImageType TypeOfChoice(TypeChoice choice) {
    switch (choice) {
    case TypeChoice::Raw16:
        return ImageType::Raw16;
    case TypeChoice::Wbmp:
        return ImageType::Wbmp;
    case TypeChoice::Image09:
        return ImageType::Image09;
    case TypeChoice::Auto:
        break;
    }
    return ImageType::Unknown;
}

uint32_t Raw16Size(int width, int height) {
    if (width <= 0 || height <= 0)
        return 0;
    return static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 2;
}

uint32_t WbmpSize(int width, int height) {
    if (width <= 0 || height <= 0)
        return 0;
    return static_cast<uint32_t>(width) * static_cast<uint32_t>(height) / 8;
}

uint32_t NextAddress(uint32_t address, uint32_t size) {
    const uint32_t next = address + size;
    return next + (next & 1);
}

std::string DimensionText(int width, int height) {
    return std::to_string(width) + "*" + std::to_string(height);
}

std::optional<std::pair<int, int>> ParseDimensionText(const std::string& text) {
    const auto star = text.find('*');
    if (star == std::string::npos)
        return std::nullopt;
    const auto w = parseDecimalPart(text.substr(0, star));
    const auto h = parseDecimalPart(text.substr(star + 1));
    if (!w || !h)
        return std::nullopt;
    return std::pair{*w, *h};
}

} // namespace tovallo
