#pragma once

#include "images/ImageTable.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Progress;
class Dialogs;

// The state of the link dialog, which moves the links (little-endian copies of a picture's
// address, normally in the firmware's picture table) to a new address and dimension.
struct LinkDialog {
    std::string OldAddr; // the picture's address text
    std::string NewAddr; // typed: the new address
    std::string OldDim;  // "W*H"; after a search the dimension stored in front of the first link
    std::string NewDim;  // typed: the new dimension
    std::vector<uint32_t> Finded; // firmware offsets of the links, ascending
};

// Prepares the dialog for `row`; false when its address cell is empty.
bool OpenLinkDialog(LinkDialog& dialog, const ImageTable& table, size_t row);

// Finds every link to OldAddr from the model's FlashStart on (at most 32,768) and reads the
// dimension in front of the first one into OldDim. Ends with message 8.
void FindImageLinks(Workspace& ws, LinkDialog& dialog, Progress& bar, Dialogs& dialogs);

// After message 18, queues a Links_ record for each of the links first..last (indexes into
// Finded) with the new address and, when the cleaned new dimension differs from OldDim, the new
// dimension as prefix; the table row gets the new address (and dimension). A new address or
// dimension that cannot be converted, or a link whose bytes would fall outside the firmware, is
// reported and nothing is queued. True when every selected link was queued, so the dialog
// closes.
bool QueueLinkChanges(Workspace& ws, LinkDialog& dialog, size_t first, size_t last,
                      ImageTable& table, size_t row, Dialogs& dialogs);

// The dimension text reduced to its digits and "*".
std::string CleanDimensionText(const std::string& text);

} // namespace tovallo
