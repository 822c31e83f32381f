#pragma once

#include "fixtures/FirmwareBuilder.h"
#include "fixtures/MediaFixtures.h"
#include "fixtures/ScriptedDialogs.h"
#include "workspace/Workspace.h"

#include <gtest/gtest.h>

namespace tovallo::testing {

// A firmware written to a scratch directory (its flash part at `base`, the rest a sparse hole)
// and opened in a workspace of its model.
struct OpenedMedia {
    ScratchDir dir;
    Workspace ws;
    ScriptedDialogs dialogs;
    RecordingProgress bar;

    OpenedMedia(const FirmwareBuilder& flash, uint32_t base = 0) {
        ws.SelectModel(flash.model());
        ws.pumpInterval = std::chrono::milliseconds(0);
        WriteFirmwareAt(path(), base, flash);
        EXPECT_TRUE(ws.OpenFirmware(path(), dialogs));
    }
    explicit OpenedMedia(const MediaImage& image) : OpenedMedia(image.flash, image.base) {}

    std::string path() const { return dir.file("firmware.bin"); }
    // `count` bytes of the firmware file at `offset`, as on disk.
    std::string bytesAt(uint64_t offset, size_t count) {
        ws.firmware.flush();
        return ws.readBytes(static_cast<uint32_t>(offset), count);
    }
};

} // namespace tovallo::testing
