#pragma once

#include "workspace/FirmwareFile.h"
#include "workspace/Messages.h"
#include "workspace/PendingChanges.h"
#include "workspace/PhoneProfile.h"
#include "workspace/TempDir.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

class Dialogs;

// A region of firmware offsets, both ends included.
struct AddressRegion {
    uint32_t Start = 0;
    uint32_t Stop = 0;
};

// The state the main window owns for the whole run.
class Workspace {
  public:
    FirmwareFile firmware;
    PhoneProfile profile = PhoneProfile::StartUp();
    Messages messages;
    PendingChanges changes;
    TempDir tempDir;

    uint32_t SearchPos = 0; // where the next text search resumes
    bool SearchStop = false;
    // How often long scans let the window breathe.
    std::chrono::milliseconds pumpInterval{50};

    // Where Save All keeps the undo file of a firmware whose own folder is not writable (the
    // settings folder); empty: beside the firmware only.
    std::string undoFolder;
    // The undo file of an unfinished save that the user kept for later when the firmware was
    // opened: later saves carry its bytes on in their own undo file and leave that file in place.
    std::string keptUndoFile;

    // Regions left out of BIN to S3 conversions; kept when another firmware is opened.
    std::vector<AddressRegion> ExcludedRegions;

    bool FwIsOpen() const { return firmware.isOpen(); }
    int32_t FwSize() const { return firmware.size(); }
    size_t ReadAt(uint32_t offset, size_t count, uint8_t* buffer) {
        return firmware.readAt(offset, count, buffer);
    }
    bool WriteAt(uint32_t offset, const std::string& bytes) {
        return firmware.writeAt(offset, reinterpret_cast<const uint8_t*>(bytes.data()),
                                bytes.size());
    }

    // Opens `path` as the firmware. A file that cannot be opened for reading and writing is
    // refused through `dialogs` and everything stays as it was. On success the previous firmware
    // is closed, SearchPos reset and the pending changes of the previous firmware discarded
    // (with their temporary files). Read-only opening serves tools that only look.
    bool OpenFirmware(const std::string& path, Dialogs& dialogs, bool writable = true);

    // Chooses a phone model profile.
    void SelectModel(PhoneModel model) { profile = PhoneProfile::ForModel(model); }

    // The data of a firmware region (short at the end of the file).
    std::string readBytes(uint32_t offset, size_t count);

    // Block buffer shared by the scans (they never run inside one another).
    std::vector<uint8_t> scanBuffer;

    // The firmware bytes the text search read last: `size` bytes from offset `base`, read at
    // firmware version `version`. A find-next whose bytes lie inside them reads nothing again.
    struct ReadWindow {
        std::vector<uint8_t> bytes;
        uint64_t base = 0;
        size_t size = 0;
        uint64_t version = 0;
    };
    ReadWindow searchWindow;

    // Remembers where the last match of a one-byte pattern ended, so that find-next moves on.
    int64_t lastSingleByteMatch = -1;
};

} // namespace tovallo
