#pragma once

#include <istream>
#include <string>

namespace tovallo {

// Reads one line of a table file: bytes up to a CR or the end of the file; the CR is dropped,
// and so is the one byte (the LF) after it unless the file ends there.
std::string ReadTableLine(std::istream& in);

} // namespace tovallo
