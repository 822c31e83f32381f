#include "workspace/Messages.h"

namespace tovallo {

namespace {

using namespace std::string_literals;

const std::array<std::string, Messages::Count>& defaults() {
    static const std::array<std::string, Messages::Count> table = {
        "Warning!",
        "The beginning of a file!",
        "The end of a file!",
        "The file exists!\r\nReplace it?",
        "The element already is in the table!",
        "Enter a name of the image!",
        "Enter a required line!",
        "If you replace the Code Page, results of the previous search will be lost. \r\r\n"
        "Continue?",
        "Search is completed.",
        "There is not enough information!",
        "The dimension of the image does not meet original\r\nContinue?",
        "You want to keep changes in the Firmware?",
        "Reduce a range of scanning!",
        "Error!",
        "The table of searched images will be cleared!\r\nContinue?",
        "The table of images in the Firmware is not found!",
        "The dimension of the image does not meet original!\r\nYou want to replace the image?",
        "The size of the image exceeds original\r\nReplacement can destroy the Firmware!\r\n"
        "Continue?",
        "You want to change the address of the image?",
        "The original file is not found!",
        "The line is ignored. \xB9",
        "The control sum in line does not coincide. \xB9",
        "Coding/decoding of a file is completed successfully.",
        "Wrong input of the address.",
        "Java games are found.",
        "You want to replace a file?!",
        "The size of the Sound exceeds original\r\nReplacement can destroy the Firmware!\r\n"
        "Continue?",
        "The type of a Selected file is not Supported!",
        "You really want to Replace selected Sound/Music?",
        "The table of Sounds in the Firmware is not found!",
        "AT error! Phone not connected.",
        "File List loading Error!",
        "File loading Error!",
        "AT command error: ",
        "No memory in Phone.",
        "Phone model not supported!",
        "You want to Delete selected file(s)?",
        "Size: ",
        "Index: ",
        "Loading file: ",
        "You really want to delete Selected Language?",
        "Released memory: ",
        "The Table of Pictures is found. You want to read it?",
        "The Table of Sounds is found. You want to read it?",
        "The Table of Strings is found. You want to read it?",
        "The Table of Java is found. You want to read it?",
        "You want to find All Resource Tables?",
        "Total Memory: %1 byte In %3 memory Regions. Free Memory: %2 byte.\0"s,
        "The size of a string exceeds original! Want to try to place a string in free memory?",
        "Not enough free memory! Try to remove language resources.",
        "All allocated memory will be cleared! You really want to find Free Space?",
        "Not enough free allocated memory!",
    };
    return table;
}

} // namespace

Messages::Messages() : texts_(defaults()) {}

const std::string& Messages::Default(int number) {
    return defaults().at(static_cast<size_t>(number));
}

std::string Messages::text(int number) const {
    const std::string& s = stored(number);
    return s.substr(0, s.find('\0'));
}

} // namespace tovallo
