#include "images/TableLine.h"

namespace tovallo {

std::string ReadTableLine(std::istream& in) {
    std::string line;
    std::istream::int_type c;
    while ((c = in.get()) != std::istream::traits_type::eof()) {
        if (c == '\r') {
            in.get();
            break;
        }
        line += static_cast<char>(c);
    }
    return line;
}

} // namespace tovallo
