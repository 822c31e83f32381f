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
    keptUndoFile.clear();
    lastSingleByteMatch = -1;
    // The changes belong to the previous firmware; their temporary files are of no further use.
    changes.deleteTemporaryFiles();
    changes.clear();
    return true;
}

std::string Workspace::readBytes(uint32_t offset, size_t count) {
    std::string out(count, '\0');
    const size_t got = ReadAt(offset, count, reinterpret_cast<uint8_t*>(out.data()));
    out.resize(got);
    return out;
}

} // namespace tovallo
