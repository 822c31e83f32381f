#pragma once

#include "images/Image09Decoder.h"
#include "srecord/PatchViewContent.h"

#include <optional>

namespace tovallo {

// The picture of a picture change as the patch viewer draws it: the "09" picture held in the
// change's temporary file, at the change's width and height. Nothing when the file cannot be
// read or the dimension lies outside the 320 x 240 phone display.
std::optional<Decoded09> DecodePatchPicture(const PatchViewContent& view);

} // namespace tovallo
