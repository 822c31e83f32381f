// Address and number texts typed by the user: a cleaned address text always converts, and an
// address converted and written again converts to the same value.
#include "FuzzSupport.h"

#include "workspace/HexText.h"

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(fuzz::AsText(data, size));
    fuzz::QuietDialogs dialogs;
    if (const auto value = ParseHexAddr(text, &dialogs))
        fuzz::Require(ParseHexAddr(ToHexAddr(*value)) == value, "an address is written as read");
    std::string cleaned = text;
    CleanHexText(cleaned);
    fuzz::Require(cleaned.starts_with("0x"), "a cleaned address starts with 0x");
    const size_t digits = cleaned.find_first_not_of('0', 2);
    if (digits == std::string::npos || cleaned.size() - digits <= 8)
        fuzz::Require(ParseHexAddr(cleaned).has_value(), "a cleaned address converts");

    if (const auto number = ParseDecimal(text, &dialogs))
        fuzz::Require(ParseDecimal(std::to_string(*number)) == number, "a number is kept");
    std::string decimal = text;
    CleanDecText(decimal);
    fuzz::Require(decimal.find_first_not_of("0123456789") == std::string::npos,
                  "a cleaned number holds only digits");
    return 0;
}
