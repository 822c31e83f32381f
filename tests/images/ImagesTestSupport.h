#pragma once

#include "fixtures/FirmwareBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "images/BmpFile.h"
#include "workspace/Workspace.h"

#include <gtest/gtest.h>

namespace tovallo::testing {

// A firmware written to a scratch directory and opened in a workspace of its model.
struct OpenedFirmware {
    ScratchDir dir;
    Workspace ws;
    ScriptedDialogs dialogs;

    explicit OpenedFirmware(const FirmwareBuilder& builder) {
        ws.SelectModel(builder.model());
        ws.pumpInterval = std::chrono::milliseconds(0);
        const std::string path = builder.write(dir.file("firmware.bin"));
        EXPECT_TRUE(ws.OpenFirmware(path, dialogs));
        dialogs.shown.clear();
    }
    std::string path() const { return dir.file("firmware.bin"); }
};

// The picture of a BMP file; a file that cannot be read fails the test.
inline Picture ReadBmp(const std::string& path) {
    Picture picture;
    std::string error;
    EXPECT_TRUE(ReadBmpFile(path, picture, error)) << error;
    return picture;
}

} // namespace tovallo::testing
