#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tovallo {

enum class ImageType : uint8_t { Unknown = 0, Raw16 = 1, Wbmp = 2, Image09 = 3 };

// "Unknown", "RAW-16", "WBMP", "09": what the image table shows and stores in its Type column.
const std::string& ImageTypeName(ImageType type);
// The display name of index 4, "String", is no picture type; everything else maps back.
std::optional<ImageType> ImageTypeFromName(const std::string& name);

// The type choice of the viewer: "Auto Type" reads the byte at the address.
enum class TypeChoice { Auto, Raw16, Wbmp, Image09 };

// The encoding an automatic choice reads from a picture's first byte: 0x00 RAW-16 (a type byte
// in front of the pixels), 0x09 an "09" picture, anything else WBMP.
ImageType TypeFromFirstByte(uint8_t byte);
ImageType TypeOfChoice(TypeChoice choice); // Unknown for Auto

// Byte sizes. Pictures may be up to 320 x 240, so sizes are not cut to 16 bits; within 16 bits
// they are the sizes the phones' tables hold. A side of 0 or less gives 0.
uint32_t Raw16Size(int width, int height);
uint32_t WbmpSize(int width, int height);

// Where the following picture would begin: address + size, rounded up to even.
uint32_t NextAddress(uint32_t address, uint32_t size);

// "W*H".
std::string DimensionText(int width, int height);
// Width and height from "W*H"; nothing when either side is no decimal number.
std::optional<std::pair<int, int>> ParseDimensionText(const std::string& text);

} // namespace tovallo
