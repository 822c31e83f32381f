#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tovallo {

class Dialogs;

// "0x" and eight upper-case hexadecimal digits.
std::string ToHexAddr(uint32_t value);

// Normalises a typed address in place: drops a leading "0x"/"0X", deletes every character that is
// no hexadecimal digit, prefixes "0x" ("0x0" when nothing is left).
void CleanHexText(std::string& text);

// Converts an address text the way the platform's integer conversion does: an optional "0x",
// "0X", "$", "x" or "X" prefix and at most eight significant hexadecimal digits. Text that is no
// number is reported through `dialogs` (when given) and gives nothing.
std::optional<uint32_t> ParseHexAddr(const std::string& text, Dialogs* dialogs = nullptr);

// Deletes every character that is not 0-9.
void CleanDecText(std::string& text);

// A decimal number up to 4294967295; text that is no number is reported and gives nothing.
std::optional<uint32_t> ParseDecimal(const std::string& text, Dialogs* dialogs = nullptr);

// The platform's conversion error text for `text`.
std::string NotAnIntegerText(const std::string& text);

} // namespace tovallo
