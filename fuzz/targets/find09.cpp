// The "09" picture scan over a firmware: every picture it lists starts with 0x09 and a palette
// count of 1-127 inside the firmware, in address order.
#include "FuzzSupport.h"

#include "images/Find09.h"
#include "workspace/Progress.h"
#include "workspace/Workspace.h"

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Workspace ws;
    if (!fuzz::OpenFirmware(ws, data, size))
        return 0;
    NullProgress bar;
    fuzz::QuietDialogs dialogs;
    const Find09Result found = FindImages09(ws, 0, bar, dialogs);
    fuzz::Require(found.pictures.size() <= found.candidates, "pictures are candidates");
    uint32_t previous = 0;
    for (size_t i = 0; i < found.pictures.size(); ++i) {
        const uint32_t at = found.pictures[i].Address;
        fuzz::Require(at + 1 < size, "a picture starts inside the firmware");
        fuzz::Require(data[at] == 0x09 && data[at + 1] >= 1 && data[at + 1] <= 127,
                      "a picture starts with 0x09 and a palette count");
        fuzz::Require(i == 0 || at > previous, "pictures come in address order");
        previous = at;
    }
    return 0;
}
