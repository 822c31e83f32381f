#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovallo {

// Texts of a phone's replies. The markers "OK", "ERR" and "ERROR:" count only outside double
// quotes: between quotes they are part of a file name (BOOK, TERRA).

// Position of the first `needle` that starts outside double quotes, or npos.
size_t FindOutsideQuotes(std::string_view text, std::string_view needle, size_t from = 0);
inline bool ContainsOutsideQuotes(std::string_view text, std::string_view needle) {
    return FindOutsideQuotes(text, needle) != std::string_view::npos;
}

// Removes every CR and LF, then every "OK" outside quotes: the echo-less reply CR LF "SGH-X120"
// CR LF CR LF "OK" CR LF becomes "SGH-X120".
void CleanReply(std::string& reply);

// Whether the reply reports an error ("ERROR:" outside quotes); `text` then gets what follows
// "ERROR:" up to the next CR LF.
bool ReplyError(std::string_view reply, std::string* text = nullptr);

// A whole decimal number (blanks around it allowed) that fits 32 bits; nothing otherwise.
std::optional<uint32_t> ParseDecimal(std::string_view text);

} // namespace tovallo
