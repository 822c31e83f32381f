#include "ShowcaseScene.h"

#include "ui/Grid.h"
#include "ui/ImagesTab.h"
#include "ui/Surface.h"

#include <QAction>
#include <QPushButton>

namespace tovallo::testing {

PictureFirmware ShowcaseFirmware() {
    PictureFirmware fw = BuildPictureFirmware(PhoneModel::C200, 0x40000);
    Picture rings(128, 96);
    const std::vector<Rgb24> colours = {0x3050E0, 0x20A0F0, 0x40D0F0, 0x60E080,
                                        0xC0C030, 0xE08030, 0xD04070, 0x8040B0};
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x) {
            const int dx = x - 64, dy = y - 48;
            rings.at(x, y) =
                colours[static_cast<size_t>((dx * dx + dy * dy) / 180) % colours.size()];
        }
    // Colours as the decoder gives them back.
    for (Rgb24& c : rings.Pixels)
        c = Rgb565ToColor(ColorToRgb565(c));
    FixturePicture showcase{0x9000, ImageType::Image09, rings, Build09Bytes(rings)};
    fw.pictures.push_back(showcase);
    PlacePicturesWithTable(fw.builder, fw.tableAddress, fw.pictures);
    return fw;
}

Picture PhonePixels(ui::TMainF& window, int width, int height) {
    Picture out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.at(x, y) = window.imagesTab().phoneDisplay().pixel(x + 1, y + 1);
    return out;
}

PictureFirmware OpenShowcase(UiHarness& harness) {
    PictureFirmware fw = ShowcaseFirmware();
    harness.open(fw.builder.write(harness.dir.file("showcase.bin")));
    ui::TMainF& w = *harness.window;
    w.findChild<QPushButton*>("BImageTblFind")->click();
    w.findChild<QPushButton*>("BImgReadTbl")->click();
    w.findChild<QAction*>("MIImageImportSearched")->trigger();
    ui::ImagesTab& tab = w.imagesTab();
    const int last = static_cast<int>(fw.pictures.size()) - 1;
    tab.images09Grid().selectRow(last);
    tab.Images09Select(last);
    return fw;
}

} // namespace tovallo::testing
