#pragma once

#include "UiHarness.h"
#include "fixtures/PictureFixtures.h"

namespace tovallo::testing {

// A firmware with the fixture pictures and a colourful 128 x 96 "09" picture, the last entry
// of its picture table.
PictureFirmware ShowcaseFirmware();

// The rows of the phone display's picture part.
Picture PhonePixels(ui::TMainF& window, int width, int height);

// Writes the showcase firmware into the harness's directory, opens it through File > Open
// Firmware, finds and reads its picture table, imports the found pictures into the image table
// and shows the last one on the phone display. Returns the firmware placed.
PictureFirmware OpenShowcase(UiHarness& harness);

} // namespace tovallo::testing
