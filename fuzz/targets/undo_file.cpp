// An undo file left beside a 4 KiB firmware, shown and rolled back as on opening: the listing and
// the rollback agree on whether the file fits the firmware; a refused one leaves the firmware and
// the undo file as they were; a rollback writes exactly the bytes listed and removes the file.
#include "FuzzSupport.h"

#include "workspace/FirmwareFile.h"
#include "workspace/UndoFile.h"
#include "workspace/Workspace.h"

#include <filesystem>
#include <fstream>

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string firmware(4096, '\0');
    for (size_t i = 0; i < firmware.size(); ++i)
        firmware[i] = static_cast<char>(i * 13 + i / 256);
    const std::string path = fuzz::WriteScratchFile("fw.bin", firmware);
    const std::string undo = UndoFileBeside(path);
    std::ofstream(undo, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    Workspace ws;
    fuzz::QuietDialogs dialogs;
    fuzz::Require(ws.OpenFirmware(path, dialogs), "the firmware opens");
    std::string error;
    const auto ranges = ReadUndoFile(ws, undo, error);
    uint64_t listed = 0;
    for (const UndoRange& r : ranges ? *ranges : std::vector<UndoRange>{}) {
        fuzz::Require(uint64_t{r.address} + r.length <= firmware.size() && r.length > 0,
                      "a listed range lies inside the firmware");
        listed += r.length;
    }
    uint64_t written = 0;
    const bool rolledBack = RollBack(ws, undo, error, &written);
    fuzz::Require(rolledBack == ranges.has_value(), "listing and rollback agree");
    ws.firmware.close();
    if (!rolledBack) {
        fuzz::Require(!error.empty(), "a refusal says why");
        fuzz::Require(fuzz::ReadFile(path) == firmware, "a refused undo file writes nothing");
        fuzz::Require(fuzz::ReadFile(undo) == fuzz::AsText(data, size),
                      "a refused undo file stays");
    } else {
        fuzz::Require(written == listed, "the rollback writes the bytes listed");
        fuzz::Require(!std::filesystem::exists(undo), "a used undo file is removed");
        fuzz::Require(fuzz::ReadFile(path).size() == firmware.size(),
                      "the firmware keeps its size");
    }
    return 0;
}
