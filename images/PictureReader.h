#pragma once

#include "images/CurrentPicture.h"
#include "images/Image09Decoder.h"
#include "images/Picture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tovallo {

class Workspace;

// Positioned reads of any file: returns the bytes read (fewer at the end of the file).
using ByteReader = std::function<size_t(uint64_t offset, size_t count, uint8_t* buffer)>;
ByteReader FirmwareReader(Workspace& ws);

// `count` bytes at `address`; what lies beyond the end of the file reads as 0.
// `available` receives how many bytes the file held.
std::vector<uint8_t> ReadPictureBytes(const ByteReader& read, uint32_t address, size_t count,
                                      size_t* available = nullptr);

// Recognises the encoding at `address` by the choice of the viewer and stores it in
// `current.Type`. An automatic choice at or beyond the end of the file gives Unknown.
ImageType DetectImageType(const ByteReader& read, CurrentPicture& current, uint32_t address,
                          TypeChoice choice);

// Decodes the "09" picture at `address`, reading only as much of the file as the picture needs.
// `available` receives how many of the bytes the decoding used the file held. A dimension
// outside 1-320 x 1-240 reads nothing (BadDimension).
Decoded09 DecodeImage09At(const ByteReader& read, uint32_t address, int width, int height,
                          Decode09Mode mode, size_t* available = nullptr);

// Draws the current picture again by its Type (RAW-16 and WBMP from the address itself); an
// "09" picture updates Length09. Nothing for an unknown type, a size outside 1-320 x 1-240 or an
// "09" picture without its signature; `outcome` tells why.
std::optional<Picture> RenderCurrentPicture(const ByteReader& read, CurrentPicture& current,
                                            Decode09Outcome* outcome = nullptr);

} // namespace tovallo
