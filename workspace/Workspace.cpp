#include "workspace/Workspace.h"

#include "workspace/Dialogs.h"

namespace tovallo {

bool Workspace::OpenFirmware(const std::string& path, Dialogs& dialogs, bool writable) {
    FirmwareFile next;
    std::string error;
    if (!next.open(path, error, writable)) {
        dialogs.errorText(error);
        return false;
    }
    firmware = std::move(next);
    SearchPos = 0;
    lastSingleByteMatch = -1;
    // The changes belong to the previous firmware; their temporary files are of no further use.
    changes.deleteTemporaryFiles();
    changes.clear();
    return true;
}

} // namespace tovallo
