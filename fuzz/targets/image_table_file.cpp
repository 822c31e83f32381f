// An image table file opened by the user: each row it loads is a record that writes back to the
// same row, and no row is the blank record of an empty table.
#include "FuzzSupport.h"

#include "images/ImageTable.h"
#include "images/ImageTableFile.h"

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::WriteScratchFile("table.txt", fuzz::AsText(data, size));
    ImageTable table;
    fuzz::QuietDialogs dialogs;
    if (!LoadImageTable(path, table, dialogs))
        return 0;
    for (size_t row = 0; row < table.size(); ++row) {
        fuzz::Require(!table[row].empty(), "a blank record adds no row");
        fuzz::Require(ParseImageTableRecord(ImageTableRecord(row + 1, table[row])) == table[row],
                      "a loaded row is saved and loaded as it is");
    }
    return 0;
}
