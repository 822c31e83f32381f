#pragma once

#include "images/Picture.h"

#include <string>

namespace tovallo {

// BMP files, read and written in this one place. Reads uncompressed 1-, 4-, 8-, 16-, 24- and
// 32-bit files (bottom-up or top-down); writes 24-bit files. Failures give a readable reason in
// `error` and never a partial picture.
bool DecodeBmp(const std::string& bytes, Picture& picture, std::string& error);
bool ReadBmpFile(const std::string& path, Picture& picture, std::string& error);

std::string EncodeBmp(const Picture& picture);
// Writes the file whole or not at all (an earlier file of the name stays as it was on failure).
// Callers check the name first (CheckOutputTarget).
bool WriteBmpFile(const std::string& path, const Picture& picture, std::string& error);

} // namespace tovallo
