#include "ShowcaseScene.h"

#include "fixtures/CrashedSave.h"
#include "fixtures/PictureFixtures.h"
#include "images/Image09Encoder.h"
#include "images/WbmpCodec.h"
#include "srecord/PatchTable.h"
#include "srecord/PatchWriter.h"
#include "ui/AboutBox.h"
#include "ui/ChangeAddr.h"
#include "ui/ImagesTab.h"
#include "ui/PatchViewer.h"
#include "ui/RawImage.h"
#include "ui/S3Tab.h"
#include "ui/Surface.h"
#include "ui/UExclude.h"
#include "workspace/UndoFile.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QtTest>

using namespace tovallo;
using namespace tovallo::testing;

namespace {

QStringList VisibleGroupBoxes(ui::TMainF& w) {
    QStringList names;
    for (QGroupBox* box : w.tabArea()->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly))
        if (box->isVisible())
            names << box->objectName();
    names.sort();
    return names;
}

// Opens the context menu of `widget` at `at`, as a right click does, and picks `action`.
void ContextMenuPick(ui::TMainF& w, QWidget& widget, QPoint at, const char* menu,
                     const char* action) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget.mapToGlobal(at));
    QApplication::sendEvent(&widget, &event);
    QMenu* popup = Find<QMenu>(w, menu);
    if (!popup->isVisible())
        qFatal("the context menu %s did not open", menu);
    popup->hide();
    Find<QAction>(*popup, action)->trigger();
}

Picture ReadBmp(const std::string& path) {
    Picture picture;
    std::string error;
    if (!ReadBmpFile(path, picture, error))
        qWarning("%s", error.c_str());
    return picture;
}

// Sends a mouse event at `at` (surface coordinates) to a drawing surface.
void MouseOnSurface(ui::Surface& surface, QEvent::Type type, QPoint at) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, surface.mapToGlobal(at), button,
                      type == QEvent::MouseButtonPress ? button : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&surface, &event);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void componentsCarryNamesAndCaptions();
    void gridOperations();
    void openAndNavigate();
    void findReadAndShowPictureTable();
    void imageTableRowsAndFile();
    void replacePictureWithPickedTransparencyThenPatchRestoreAndSave();
    void replaceRaw16PictureAndChangeImageLink();
    void convertBinToS3AndBack();
    void tabChangeWhilePatchIsWrittenIsRefused();
    void closeAndOpenKeepQueuedWork();
    void openingOffersTheRollbackOfAnUnfinishedSave();
    void pendingChangesWindowRemovesChanges();
    void aboutBoxOnFirstStartAndSettingsRemembered();
    void languageFileAndMessages();
};

void MainWindowTest::componentsCarryNamesAndCaptions() {
    UiHarness h;
    ui::TMainF& w = *h.window;
    QCOMPARE(w.windowTitle(), QString("Tovallo v1.5.19"));
    QCOMPARE(w.centralWidget()->height() + w.statusBar()->height(), 534);
    QCOMPARE(w.width(), 792);

    // The captions of menu items, menus, buttons and labelled edits.
    auto caption = [&w](const QString& name) {
        if (auto* action = w.findChild<QAction*>(name))
            return action->text();
        if (auto* menu = w.findChild<QMenu*>(name))
            return menu->title();
        if (auto* button = w.findChild<QPushButton*>(name))
            return button->text();
        return Find<ui::LabelledEdit>(w, name.toLatin1().constData())->label()->text();
    };
    const QString captions =
        "MIOpen=Open Firmware...;MISaveAllchanges=Save All changes in Firmware...;"
        "MIPendingChanges=Pending changes...;MIExit=Exit;C2001=C200 (C210);"
        "E8501=E850;MIAutoRefresh=Auto Refresh List;COM11=COM1;COM101=COM10;"
        "B57600=57600;B460800=460800;ms1000=1000 ms;ms4000=4000 ms;"
        "MIFindAllResources=Find All Resources;MIFindFreeSpace=Find Free Space;"
        "MIDisplayMemory=Display Free Memory Status;"
        "MICreatePatchFreeSpace=Create Patch for Free Space;"
        "MIConnect=Connect to Phone;MIDisconnect=Disconnect;MIAbout=About;"
        "MIImageImportExport=Import/Export;MIImageChangeAddr=Change Address;MIFile=&File;"
        "MIHelp=&Help;BImageNext=Next;BImagePrev=Prev;BImageFind=Find 09-images...;"
        "BImageTblFind=Find Table;BImgReadTbl=Read Table;BImageAdd=Add image;"
        "BSaveS3=Convert to s3;BCreateS3=Create s3 patch;Bs3Exclude=Exclude's;"
        "LETableAddr=Image Table address:";
    for (const QString& item : captions.split(';'))
        QCOMPARE(caption(item.section('=', 0, 0)), item.section('=', 1));
    QCOMPARE(Find<QAction>(w, "MIOpen")->shortcut().toString(), QString("Ctrl+O"));
    QCOMPARE(Find<QAction>(w, "MIExit")->shortcut().toString(), QString("Ctrl+Q"));
    QVERIFY(Find<QAction>(w, "MISaveAllchanges")->shortcut().isEmpty());
    QVERIFY(!Find<QAction>(w, "MICreatePatchFreeSpace")->isEnabled());
    for (const char* checked : {"C2001", "COM41", "B115200", "ms1500"})
        QVERIFY(Find<QAction>(w, checked)->isChecked());
    QVERIFY(Find<QRadioButton>(w, "RBAuto")->isChecked());

    const QTabBar* tabs = w.tabControl();
    QStringList tabTexts;
    for (int i = 0; i < tabs->count(); ++i)
        tabTexts << tabs->tabText(i);
    QCOMPARE(tabTexts, (QStringList{"Images", "Strings", "Sounds && Music", "Java Games",
                                    "s3 Converter", "Animation editor", "Phone File Manager"}));

    QCOMPARE(w.statusPanel(0)->text(), QString("Disconnected"));
    for (int i = 0; i < 5; ++i)
        QCOMPARE(w.statusPanel(i)->width(), (std::array{128, 128, 144, 144, 128})[i]);
    QProgressBar* pb = Find<QProgressBar>(w, "PBStatus");
    QVERIFY(!pb->isVisible());
    QCOMPARE(pb->geometry(), QRect(128, 1, 272, w.statusBar()->height() - 2));

    QCOMPARE(GridTitles(w.imagesTab().imagesGrid()),
             QString::fromUtf8("Имя изображения|Адрес|Размер|Разрешение|Цвет|Тип"));
    QCOMPARE(GridTitles(w.imagesTab().images09Grid()), QString::fromUtf8("Адрес|Размер"));
    QCOMPARE(GridTitles(w.s3Tab().patchGrid()),
             QString::fromUtf8("|Индекс|Тип|Нач. адрес|Размер|Значение (двойной клик - просмотр)"));
    QCOMPARE(GridTitles(w.excludeDialog().grid()), QString("Start addr|Stop addr"));
    QCOMPARE(w.reImageDialog().windowTitle(), QString("Repalce Image"));
    QCOMPARE(w.changeAddrDialog().windowTitle(), QString("Change image link"));
    QCOMPARE(w.patchView().windowTitle(), QString("Patch viewer"));
    QCOMPARE(w.excludeDialog().windowTitle(), QString("Exclude addresses"));

    // Each tab shows its own group boxes; the string search keeps its resume point across tab
    // changes, the s3 tab starts with a cleared dump address and its check box set.
    QCOMPARE(VisibleGroupBoxes(w), (QStringList{"GBControl", "GBFImages", "GBFWDump", "GBImInfo",
                                                "GBPhone", "GBSizes", "GBTables"}));
    w.tabControl()->setCurrentIndex(ui::TabStrings);
    QCOMPARE(VisibleGroupBoxes(w),
             (QStringList{"GBFWStrTbl", "GBStringResult", "GBStringSearch", "GBStringTable"}));
    w.workspace().SearchPos = 1234;
    w.tabControl()->setCurrentIndex(ui::TabImages);
    w.workspace().SearchPos = 99; // the picture table search moved it
    w.tabControl()->setCurrentIndex(ui::TabStrings);
    QCOMPARE(w.workspace().SearchPos, 1234u);
    Find<QLineEdit>(w, "EHex")->setText("0x00000010");
    Find<QCheckBox>(w, "CBDont")->setChecked(false);
    w.tabControl()->setCurrentIndex(ui::TabS3);
    QCOMPARE(VisibleGroupBoxes(w), (QStringList{"GBBinToS3", "GBs3Patch", "GBs3toBin"}));
    QVERIFY(Find<QCheckBox>(w, "CBDont")->isChecked());
    QVERIFY(Find<QLineEdit>(w, "EHex")->text().isEmpty());

    // The File Manager menu shows on its tab only.
    auto* fileManager = Find<QMenu>(w, "MIFileManager")->menuAction();
    QVERIFY(!fileManager->isVisible());
    w.tabControl()->setCurrentIndex(ui::TabPhoneFiles);
    QCOMPARE(VisibleGroupBoxes(w), (QStringList{"GBPhoneFiles", "GBSoundFiles"}));
    QVERIFY(fileManager->isVisible());
    w.tabControl()->setCurrentIndex(ui::TabSounds);
    QVERIFY(!fileManager->isVisible());
}

void MainWindowTest::gridOperations() {
    ui::Grid grid("G", {"a", "b", "c"}, nullptr);
    grid.resize(300, 200);
    QCOMPARE(grid.AddGridRow(true), 0); // the blank row is filled first
    grid.setText(0, 1, "x");
    QCOMPARE(grid.AddGridRow(true), 1);
    grid.setText(1, 1, "y");
    QCOMPARE(grid.rowCheckBox(1)->text(), QString("2"));
    QCOMPARE(grid.rowCheckBox(1)->palette().color(QPalette::Window), QColor(0xA6, 0xCA, 0xF0));
    grid.rowCheckBox(1)->setChecked(true);
    grid.DeleteGridRow(0);
    QCOMPARE(grid.rowCount(), 1);
    QCOMPARE(grid.text(0, 1), QString("y"));
    QVERIFY(grid.rowChecked(0)); // the check box moved up with its row
    grid.DeleteGridRow(0);
    QCOMPARE(grid.rowCount(), 1);
    QVERIFY(grid.text(0, 1).isEmpty());
    QVERIFY(grid.rowCheckBox(0) == nullptr);

    for (const char* t : {"0x00001000", "0x00000100", "0x00000020"}) {
        const int r = grid.AddGridRow(false);
        grid.setText(r, 1, t);
    }
    QVERIFY(grid.SortRowsByNumber(1));
    QCOMPARE(grid.text(0, 1), QString("0x00000020"));
    QCOMPARE(grid.text(2, 1), QString("0x00001000"));
}

void MainWindowTest::openAndNavigate() {
    UiHarness h;
    ui::TMainF& w = *h.window;
    const PictureFirmware fw = BuildPictureFirmware(PhoneModel::C200, 0x28000);
    const std::string path = fw.builder.write(h.dir.file("fw.bin"));
    h.open(path);
    QCOMPARE(w.windowTitle(), QString("Tovallo v1.5.19 - fw.bin"));
    QCOMPARE(Find<QLineEdit>(w, "EHex")->text(), QString("0x00000001"));

    // The buttons move and draw; a refusal is shown as a warning and changes nothing.
    Click(w, "BImageNext");
    QCOMPARE(Find<QLineEdit>(w, "EIndex")->text(), QString("81921"));
    Click(w, "BImageNext");
    // The survey offered on opening (No), then the refusal.
    QCOMPARE(h.dialogs.numbers(), (std::vector<int>{46, 2}));
    QCOMPARE(Find<QLineEdit>(w, "EIndex")->text(), QString("81921"));

    // The dump shows the big-endian RAW-16 words at the address.
    auto* hex = Find<QLineEdit>(w, "EHex");
    Find<QRadioButton>(w, "RBRaw")->setChecked(true);
    hex->setText("4001"); // the RAW-16 fixture's pixels start one past its type byte
    QTest::keyClick(hex, Qt::Key_Return);
    const Rgb24 first = fw.pictures[1].picture.at(0, 0);
    QCOMPARE(w.imagesTab().dumpSurface().pixel(1, 1), first);
    QCOMPARE(w.imagesTab().phoneDisplay().pixel(1, 1), first);

    // Another type choice draws the same bytes again at once.
    Find<QRadioButton>(w, "RBWbmp")->setChecked(true);
    const std::string band = fw.builder.str().substr(0x4001, 128 * 128 / 8);
    QVERIFY(PhonePixels(w, 128, 128) ==
            DecodeWbmp(reinterpret_cast<const uint8_t*>(band.data()), band.size(), 128, 128));
    Find<QRadioButton>(w, "RBRaw")->setChecked(true);
    QCOMPARE(w.imagesTab().phoneDisplay().pixel(1, 1), first);

    // The size edits tell their range and take a typed size.
    auto* widthEdit = Find<QLineEdit>(w, "Ewidth");
    QCOMPARE(widthEdit->toolTip(), QString("1-320"));
    QCOMPARE(Find<QLineEdit>(w, "Eheight")->placeholderText(), QString("1-240"));
    for (const char* name : {"Ewidth", "Eheight"}) {
        auto* edit = Find<QLineEdit>(w, name);
        edit->setText("16");
        QTest::keyClick(edit, Qt::Key_Return);
    }
    QVERIFY(PhonePixels(w, 16, 16) == fw.pictures[1].picture);

    // The phone display's menu exports the picture on view under its address, after adding
    // the image table row.
    ui::Surface& phone = w.imagesTab().phoneDisplay();
    h.dialogs.files.push_back(h.dir.file("phone"));
    ContextMenuPick(w, phone, QPoint(5, 5), "PhoneImageMenu", "MIPhoneExport");
    QCOMPARE(h.dialogs.suggestedNames.back(), std::string("0x00004001.bmp"));
    QVERIFY(ReadBmp(h.dir.file("phone.bmp")) == fw.pictures[1].picture);
    QCOMPARE(w.imagesTab().imagesGrid().text(0, 1), QString("0x00004001"));
    QCOMPARE(w.imagesTab().imagesGrid().text(0, 3), QString("16*16"));

    // The pixel under the mouse on the frame reads black.
    MouseOnSurface(phone, QEvent::MouseMove, QPoint(0, 0));
    QCOMPARE(Find<QLineEdit>(w, "Ecolor")->text(), QString("r: 0  g: 0  b: 0"));
    MouseOnSurface(phone, QEvent::MouseMove, QPoint(1, 1));
    QCOMPARE(Find<QLineEdit>(w, "Emove")->text(), QString("x: 1  y: 1"));
    QCOMPARE(
        Find<QLineEdit>(w, "Ecolor")->text(),
        QString("r: %1  g: %2  b: %3").arg(RedOf(first)).arg(GreenOf(first)).arg(BlueOf(first)));

    // A cancelled choice opens nothing; a file that cannot be opened is reported and the open
    // firmware stays.
    h.dialogs.shown.clear();
    h.dialogs.files.push_back(std::nullopt);
    w.OpenFirmware();
    h.open(h.dir.file("missing.bin"));
    QVERIFY(w.workspace().FwIsOpen());
    QCOMPARE(w.windowTitle(), QString("Tovallo v1.5.19 - fw.bin"));
    QCOMPARE(h.dialogs.numbers(), std::vector<int>{-1});
}

void MainWindowTest::findReadAndShowPictureTable() {
    UiHarness h;
    ui::TMainF& w = *h.window;
    const PictureFirmware fw = BuildPictureFirmware(PhoneModel::C200);
    h.open(fw.builder.write(h.dir.file("fw.bin")));

    Click(w, "BImageTblFind");
    QCOMPARE(h.text("LETableAddr"), AddrText(fw.tableAddress));
    QVERIFY(Find<QPushButton>(w, "BImageTblFind")->isVisible());
    QVERIFY(!Find<QPushButton>(w, "BImageTblStop")->isVisible());

    Click(w, "BImgReadTbl");
    ui::Grid& list = w.imagesTab().images09Grid();
    QCOMPARE(list.rowCount(), static_cast<int>(fw.pictures.size()));
    for (size_t i = 0; i < fw.pictures.size(); ++i) {
        const FixturePicture& p = fw.pictures[i];
        QCOMPARE(GridRow(list, static_cast<int>(i)),
                 (QStringList{AddrText(p.address),
                              QString("%1*%2").arg(p.picture.Width).arg(p.picture.Height)}));
        w.imagesTab().Images09Select(static_cast<int>(i));
        QVERIFY(PhonePixels(w, p.picture.Width, p.picture.Height) == p.picture);
    }

    // The found list's menu exports the row under the mouse and opens the replacement dialog
    // on it; each adds the image table row named after its place in the list.
    auto rowPoint = [&](int row) { return list.visualRect(list.model()->index(row, 0)).center(); };
    h.dialogs.files.push_back(h.dir.file("found"));
    ContextMenuPick(w, *list.viewport(), rowPoint(1), "FoundImageMenu", "MIFoundExport");
    QCOMPARE(h.dialogs.suggestedNames.back(), std::string("Image_2.bmp"));
    QVERIFY(ReadBmp(h.dir.file("found.bmp")) == fw.pictures[1].picture);
    h.dialogs.files.push_back(h.writeBmp("new.bmp", StripedPicture(40, 30, {0xF800, 0x001F})));
    WhenModal([&](QWidget* modal) {
        Click(*modal, "BImportIm");
        Click(*modal, "BReplaceIm");
    });
    ContextMenuPick(w, *list.viewport(), rowPoint(3), "FoundImageMenu", "MIFoundReplace");
    const auto& images = w.workspace().changes.ImageChanges;
    QCOMPARE(images.size(), size_t(1));
    QCOMPARE(images[0].Addr, fw.pictures[3].address);
    ui::Grid& table = w.imagesTab().imagesGrid();
    QCOMPARE(table.rowCount(), 2);
    QCOMPARE(table.text(0, 1), AddrText(fw.pictures[1].address));
    QCOMPARE(table.text(1, 0) + " " + table.text(1, 1),
             "Image_4 " + AddrText(fw.pictures[3].address));
    QCOMPARE(table.selectedRow(), 1);

    h.dialogs.answers.push_back(false);
    Click(w, "BImgClearTbl");
    QCOMPARE(list.rowCount(), static_cast<int>(fw.pictures.size()));
    h.dialogs.answers.push_back(true);
    Click(w, "BImgClearTbl");
    QCOMPARE(list.rowCount(), 1);
    QVERIFY(list.text(0, 0).isEmpty());
}

void MainWindowTest::imageTableRowsAndFile() {
    UiHarness h;
    ui::TMainF& w = *h.window;
    const PictureFirmware fw = BuildPictureFirmware(PhoneModel::C200);
    h.open(fw.builder.write(h.dir.file("fw.bin")));
    Click(w, "BImageTblFind");
    Click(w, "BImgReadTbl");

    auto* name = Find<ui::LabelledEdit>(w, "LEImageTblName");
    w.imagesTab().Images09Select(3);
    // A name the firmware's code page lacks is refused with a message naming the character.
    const int rows = w.imagesTab().imagesGrid().rowCount();
    name->setText(QString::fromUtf8("\xCE\xA9"));
    Click(w, "BImageAdd");
    QVERIFY(h.dialogs.shown.back().text.find("U+03A9") != std::string::npos);
    QCOMPARE(w.imagesTab().imagesGrid().rowCount(), rows);
    QCOMPARE(name->text(), QString::fromUtf8("\xCE\xA9"));
    name->setText("Second");
    Click(w, "BImageAdd");
    QVERIFY(name->text().isEmpty());

    Find<QAction>(w, "MIImageImportSearched")->trigger();
    ui::Grid& grid = w.imagesTab().imagesGrid();
    QCOMPARE(grid.rowCount(), 1 + static_cast<int>(fw.pictures.size()));
    QCOMPARE(grid.text(1, 0), QString("Image_1"));
    QCOMPARE(grid.text(2, 5), QString("RAW-16"));
    QCOMPARE(grid.text(3, 5), QString("WBMP"));

    // Saved to a table file, deleted, and opened again: the same rows.
    h.dialogs.files = {h.dir.file("table.txt"), h.dir.file("table.txt")};
    Click(w, "BImageSaveTab");
    const QStringList before = GridCells(grid);
    Find<QAction>(w, "MIImageDelete")->trigger();
    QCOMPARE(grid.rowCount(), 1);
    Click(w, "BImageOpenTab");
    QCOMPARE(GridCells(grid), before);

    Find<QAction>(w, "MIImageSortName")->trigger();
    QCOMPARE(grid.text(0, 0), QString("Image_1"));
    QCOMPARE(grid.text(grid.rowCount() - 1, 0), QString("Second"));

    // A click draws the row's picture.
    w.imagesTab().ImagesClick(grid.rowCount() - 1);
    QVERIFY(PhonePixels(w, 40, 30) == fw.pictures[3].picture);
}

void MainWindowTest::replacePictureWithPickedTransparencyThenPatchRestoreAndSave() {
    UiHarness h;
    ui::TMainF& w = *h.window;
    const PictureFirmware fw = OpenShowcase(h);
    const std::string firmware = h.dir.file("showcase.bin");

    // The second "09" picture (40 x 30) replaced by a BMP of the same size with fewer colours,
    // its second colour picked as transparent by the mouse.
    const FixturePicture& old = fw.pictures[3];
    const Picture replacement = StripedPicture(40, 30, {0xF800, 0x001F, 0x07E0});
    const Rgb24 key = replacement.at(7, 0); // runs of five: at(1, 0) has another colour
    w.imagesTab().imagesGrid().selectRow(3);
    h.dialogs.files.push_back(h.writeBmp("new.bmp", replacement));
    bool sawDialog = false;
    WhenModal([&](QWidget* modal) {
        sawDialog = modal == &w.reImageDialog();
        QCOMPARE(Find<ui::LabelledEdit>(*modal, "LEOldSize")->text(),
                 QString("40 x 30 x %1").arg(old.bytes.size()));
        auto* transp = Find<QCheckBox>(*modal, "CBTransp");
        auto& reImage = *Find<ui::Surface>(*modal, "ReImage");
        auto& swatch = *Find<ui::Surface>(*modal, "TranspIm");
        auto buttonsEnabled = [&](bool enabled) {
            for (const char* b : {"BExportIm", "BCancelIm", "BImportIm", "BReplaceIm"})
                if (Find<QPushButton>(*modal, b)->isEnabled() != enabled)
                    return false;
            return true;
        };

        // Nothing imported yet: the box unchecks itself.
        QTest::mouseClick(transp, Qt::LeftButton);
        QVERIFY(!transp->isChecked() && !w.reImageDialog().picking());

        Click(*modal, "BImportIm");
        QTest::mouseClick(transp, Qt::LeftButton);
        QVERIFY(transp->isChecked() && w.reImageDialog().picking());
        QCOMPARE(reImage.cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(swatch.isVisible());
        QVERIFY(buttonsEnabled(false));

        // The swatch follows the mouse; a click outside the picture picks nothing.
        MouseOnSurface(reImage, QEvent::MouseMove, QPoint(2, 1));
        QCOMPARE(swatch.pixel(5, 5), replacement.at(1, 0));
        MouseOnSurface(reImage, QEvent::MouseMove, QPoint(8, 1));
        QCOMPARE(swatch.pixel(5, 5), key);
        MouseOnSurface(reImage, QEvent::MouseButtonPress, QPoint(200, 200));
        QVERIFY(w.reImageDialog().picking());
        MouseOnSurface(reImage, QEvent::MouseButtonPress, QPoint(8, 1));
        QVERIFY(!w.reImageDialog().picking());
        QCOMPARE(reImage.cursor().shape(), Qt::CrossCursor);
        QVERIFY(buttonsEnabled(true));
        QCOMPARE(w.reImageDialog().state().KeyColour, key);
        // The key colour shows as transparent: the dialog's background shines through.
        QVERIFY(ui::FromQRgb(reImage.grab().toImage().pixel(8, 1)) != key);
        QCOMPARE(ui::FromQRgb(reImage.grab().toImage().pixel(2, 1)), replacement.at(1, 0));
        Click(*modal, "BReplaceIm");
    });
    Find<QAction>(w, "MIImageImportExport")->trigger();
    QVERIFY(sawDialog);
    QVERIFY(!w.reImageDialog().isVisible());

    // The queued picture holds the phone's transparent colour where the key colour was.
    const auto& images = w.workspace().changes.ImageChanges;
    QCOMPARE(images.size(), size_t(1));
    const std::string encoded = ReadWholeFile(images[0].FileName);
    QCOMPARE(encoded, EncodeImage09(replacement, ColorToRgb565(key), true,
                                    ColorToRgb565(w.workspace().profile.TransparentColor)));

    // The patch table lists it; the viewer shows it.
    w.tabControl()->setCurrentIndex(ui::TabS3);
    ui::Grid& patches = w.s3Tab().patchGrid();
    QCOMPARE(GridRow(patches, 0, 2).mid(0, 3),
             (QStringList{"Picture", AddrText(old.address), QString::number(encoded.size())}));
    WhenModal([&](QWidget* modal) {
        QVERIFY(modal == &w.patchView());
        QCOMPARE(w.patchView().picture().pixel(1, 1), replacement.at(0, 0));
        modal->close();
    });
    w.s3Tab().TableS3DblClick(0);

    Click(w, "Bs3SelAll");
    QVERIFY(patches.rowChecked(0));
    h.dialogs.files.push_back(h.dir.file("patch"));
    Click(w, "BCreateS3");
    const std::string patch = ReadWholeFile(h.dir.file("patch.s3")); // its records: PatchTest
    QVERIFY(patch.rfind("S0", 0) == 0);
    h.dialogs.files.push_back(h.dir.file("restore.s3"));
    Click(w, "BCreateRest");
    const std::string restore = ReadWholeFile(h.dir.file("restore.s3"));
    QVERIFY(restore.size() > 40 && restore != patch);
    QCOMPARE(h.dialogs.numbers().back(), 22);

    // Leaving the tab and coming back rebuilds the table: the check marks are gone.
    w.tabControl()->setCurrentIndex(ui::TabImages);
    w.tabControl()->setCurrentIndex(ui::TabS3);
    QVERIFY(!patches.rowChecked(0));

    // Save All writes the encoded picture into the BIN.
    h.dialogs.answers.push_back(true);
    Find<QAction>(w, "MISaveAllchanges")->trigger();
    QVERIFY(h.dialogs.showed(11));
    w.workspace().firmware.flush();
    QCOMPARE(ReadWholeFile(firmware).substr(old.address, encoded.size()), encoded);
}

void MainWindowTest::replaceRaw16PictureAndChangeImageLink() {
    UiHarness h;
    ui::TMainF& w = *h.window;
    const PictureFirmware fw = OpenShowcase(h);
    // The scene of `make screenshot`: the table read and imported, the last picture on the
    // phone as decoded.
    QCOMPARE(w.windowTitle(), QString("Tovallo v1.5.19 - showcase.bin"));
    QCOMPARE(w.imagesTab().images09Grid().rowCount(), static_cast<int>(fw.pictures.size()));
    QCOMPARE(w.imagesTab().imagesGrid().rowCount(), static_cast<int>(fw.pictures.size()));
    QVERIFY(PhonePixels(w, 128, 96) == fw.pictures.back().picture);

    const FixturePicture& old = fw.pictures[1]; // RAW-16, 16 x 16, listed at its type byte

    // With the found list cleared, clicking the imported row still shows the pixels that
    // follow the type byte: the row itself knows.
    h.dialogs.answers.push_back(true);
    Click(w, "BImgClearTbl");
    QVERIFY(w.imagesTab().foundPictures().empty());
    ui::Grid& grid = w.imagesTab().imagesGrid();
    grid.selectRow(1);
    w.imagesTab().ImagesClick(1);
    QVERIFY(PhonePixels(w, 16, 16) == old.picture);

    const Picture replacement = StripedPicture(16, 16, {0x1234, 0xF800, 0x07E0});
    h.dialogs.files.push_back(h.writeBmp("raw.bmp", replacement));
    WhenModal([&](QWidget* modal) {
        QCOMPARE(Find<ui::LabelledEdit>(*modal, "LEOldSize")->text(), QString("16 x 16 x 512"));
        auto& oldImage = *Find<ui::Surface>(*modal, "OldImage");
        QCOMPARE(oldImage.pixel(1, 1), old.picture.at(0, 0));
        QCOMPARE(oldImage.pixel(16, 16), old.picture.at(15, 15));
        Click(*modal, "BImportIm");
        QCOMPARE(Find<ui::LabelledEdit>(*modal, "LENewSize")->text(), QString("16 x 16 x 512"));
        QCOMPARE(Find<ui::Surface>(*modal, "ReImage")->pixel(16, 16), replacement.at(15, 15));
        Click(*modal, "BReplaceIm");
    });
    Find<QAction>(w, "MIImageImportExport")->trigger();
    QVERIFY(!w.reImageDialog().isVisible());
    // The survey offered on opening, the table search's message and the question before
    // clearing the found list.
    QCOMPARE(h.dialogs.numbers(), (std::vector<int>{46, 8, 14}));

    // Saved into the BIN, the type byte stays in front of the new pixels.
    h.dialogs.answers.push_back(true);
    Find<QAction>(w, "MISaveAllchanges")->trigger();
    w.workspace().firmware.flush();
    const std::string pixels = BuildRaw16Bytes(replacement);
    QCOMPARE(ReadWholeFile(h.dir.file("showcase.bin")).substr(old.address, 1 + pixels.size()),
             old.bytes.substr(0, 1) + pixels);

    // The link dialog finds the table entry of row 3 and queues its new address and size.
    grid.selectRow(3);
    WhenModal([&](QWidget* modal) {
        Click(*modal, "BFindAddr");
        ui::Grid& finded = w.changeAddrDialog().finded();
        QCOMPARE(finded.text(0, 0), AddrText(fw.tableAddress + 3 * 8 + 4));
        finded.selectRow(0);
        Find<ui::LabelledEdit>(*modal, "LENewAddr")->setText("0x00007000");
        Find<ui::LabelledEdit>(*modal, "LENewDim")->setText("20*10");
        h.dialogs.answers.push_back(true);
        Click(*modal, "BChangeAddr");
    });
    Find<QAction>(w, "MIImageChangeAddr")->trigger();
    QCOMPARE(w.workspace().changes.LinkChanges.size(), size_t(1));
    QCOMPARE(grid.text(3, 1) + " " + grid.text(3, 3), QString("0x00007000 20*10"));
}

void MainWindowTest::convertBinToS3AndBack() {
    UiHarness h;
    ui::TMainF& w = *h.window;
    FirmwareBuilder bin(5000, 0);
    bin.random(0, 5000, 7);
    const std::string in = bin.write(h.dir.file("in.bin"));
    w.tabControl()->setCurrentIndex(ui::TabS3);
    h.dialogs.files.push_back(in);
    Click(w, "BOpenBin");
    Find<ui::LabelledEdit>(w, "LEBinStart")->setText("");
    h.dialogs.files.push_back(h.dir.file("out.s3"));
    Click(w, "BSaveS3");
    QCOMPARE(Find<ui::LabelledEdit>(w, "LEBinStart")->text(), QString("0x0"));
    QCOMPARE(h.dialogs.numbers().back(), 22);
    QVERIFY(Find<QPushButton>(w, "BSaveS3")->isEnabled());
    QVERIFY(!Find<QProgressBar>(w, "PBinBar")->isVisible());

    h.dialogs.files.push_back(h.dir.file("out.s3"));
    Click(w, "BOpenS3");
    h.dialogs.files.push_back(h.dir.file("back.bin"));
    Click(w, "BSaveBin");
    QCOMPARE(ReadWholeFile(h.dir.file("back.bin")), bin.str());

    // The exclude dialog's preset becomes the excluded regions with Ok.
    WhenModal([&](QWidget* modal) {
        auto& dialog = w.excludeDialog();
        dialog.CBStandartChange(0);
        dialog.CBStandartChange(0);
        QCOMPARE(dialog.grid().rowCount(), 2);
        QCOMPARE(dialog.grid().text(0, 0), QString("0x00002000"));
        Click(*modal, "Button1");
    });
    Click(w, "Bs3Exclude");
    QCOMPARE(w.workspace().ExcludedRegions.size(), size_t(2));
    QCOMPARE(w.workspace().ExcludedRegions[1].Stop, 0xDFFFu);
}

// The progress pump lets the window handle events while a patch is written; a tab change then
// must not rebuild the patch table the writer walks.
void MainWindowTest::tabChangeWhilePatchIsWrittenIsRefused() {
    UiHarness h;
    ui::TMainF& w = *h.window;
    h.open(FirmwareBuilder(0x10000, 0).write(h.dir.file("fw.bin")));
    Workspace& ws = w.workspace();
    ws.pumpInterval = std::chrono::milliseconds(0); // pump whenever the converter may
    std::string error;
    for (uint32_t addr : {0x1000u, 0x3000u, 0x5000u})
        QVERIFY(ws.changes.AppendSoundChange(
            ws.tempDir, addr, std::string(4096, static_cast<char>(addr >> 8)), error));
    PatchTable all;
    all.Fill(ws.changes);
    all.SelectAll();
    ScriptedDialogs quiet;
    NullProgress none;
    QVERIFY(CreateS3Patch(ws, all, quiet, none, PatchFiles::OneFile, h.dir.file("expected.s3")));

    w.tabControl()->setCurrentIndex(ui::TabS3);
    Click(w, "Bs3SelAll");
    bool lockedInPump = false;
    QTimer::singleShot(0, [&] {
        lockedInPump = w.busy() && !w.tabControl()->isEnabled() &&
                       !Find<QAction>(w, "MIOpen")->isEnabled() &&
                       !Find<QAction>(w, "MIPendingChanges")->isEnabled();
        w.tabControl()->setCurrentIndex(ui::TabImages);
        w.tabControl()->setCurrentIndex(ui::TabS3);
    });
    h.dialogs.files.push_back(h.dir.file("patch.s3"));
    w.s3Tab().BCreateS3Click();
    QVERIFY(lockedInPump);
    QCOMPARE(ReadWholeFile(h.dir.file("patch.s3")), ReadWholeFile(h.dir.file("expected.s3")));
    QCOMPARE(h.dialogs.numbers(), (std::vector<int>{46, 22}));
    QCOMPARE(w.activeTab(), int(ui::TabS3));
    QCOMPARE(VisibleGroupBoxes(w), (QStringList{"GBBinToS3", "GBs3Patch", "GBs3toBin"}));
    // Unlocked afterwards; an item disabled for good stays disabled.
    QVERIFY(w.tabControl()->isEnabled());
    QVERIFY(Find<QAction>(w, "MIOpen")->isEnabled());
    QVERIFY(!Find<QAction>(w, "MICreatePatchFreeSpace")->isEnabled());
}

void MainWindowTest::closeAndOpenKeepQueuedWork() {
    UiHarness h;
    ui::TMainF& w = *h.window;
    Workspace& ws = w.workspace();
    const std::string first = FirmwareBuilder(0x1000, 0x11).write(h.dir.file("first.bin"));
    const std::string second = FirmwareBuilder(0x1000, 0x22).write(h.dir.file("second.bin"));
    h.open(first);
    std::string error;
    QVERIFY(ws.changes.AppendImageChange(ws.tempDir, 0x100, 0, "PICT", error));
    ws.changes.AppendStringChange(0x200, "TEXT");
    const QString temp = QString::fromStdString(ws.changes.ImageChanges[0].FileName);
    auto intact = [&] {
        return w.isVisible() && ws.firmware.path() == first && ws.changes.total() == 2 &&
               QFile::exists(temp) && w.windowTitle().endsWith("first.bin");
    };
    auto reopen = [&](bool writable) { return ws.firmware.open(first, error, writable); };

    // Message 11 with Cancel; Escape and Enter in the real box answer Cancel too.
    w.close();
    QVERIFY(intact());
    QCOMPARE(h.dialogs.shown.back().kind, 'c');
    QCOMPARE(h.dialogs.shown.back().message, 11);
    w.setDialogs(nullptr);
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        bool asked = false;
        WhenModal([&asked, key](QWidget* modal) {
            asked = qobject_cast<QMessageBox*>(modal) != nullptr;
            if (asked)
                QTest::keyClick(modal, key);
        });
        w.close();
        QVERIFY(asked);
        QVERIFY(intact());
    }
    w.setDialogs(&h.dialogs);

    // Yes with a save that fails: the window stays, the save says why, the status bar why not.
    QVERIFY(reopen(false)); // every write fails
    h.dialogs.choices.push_back(Dialogs::Answer::Yes);
    w.close();
    QVERIFY(intact());
    QVERIFY(h.dialogs.showedText());
    QVERIFY(w.statusBar()->currentMessage().startsWith("Not closed"));

    // Opening another firmware: Cancel opens nothing.
    h.open(second);
    QVERIFY(intact());
    QVERIFY(reopen(true));

    // No discards the changes with their files and opens; the first firmware stays untouched.
    h.dialogs.choices.push_back(Dialogs::Answer::No);
    h.open(second);
    QCOMPARE(ws.firmware.path(), second);
    QCOMPARE(ws.changes.total(), size_t(0));
    QVERIFY(!QFile::exists(temp));
    QCOMPARE(ReadWholeFile(first), std::string(0x1000, '\x11'));
    QCOMPARE(w.pendingPanel()->text(), QString("Pending: 0"));

    // Yes saves into the open firmware, then opens.
    ws.changes.AppendStringChange(0x10, "AB");
    h.dialogs.choices.push_back(Dialogs::Answer::Yes);
    h.open(first);
    QCOMPARE(ws.firmware.path(), first);
    QCOMPARE(ReadWholeFile(second).substr(0x10, 2), std::string("AB"));
    QCOMPARE(w.statusBar()->currentMessage(), QString("Saved 1 change (2 bytes)"));
    w.close(); // nothing pending: nothing asked
    QVERIFY(!w.isVisible());
}

void MainWindowTest::pendingChangesWindowRemovesChanges() {
    UiHarness h;
    ui::TMainF& w = *h.window;
    Workspace& ws = w.workspace();
    h.open(FirmwareBuilder(0x1000, 0).write(h.dir.file("fw.bin")));
    QCOMPARE(w.pendingPanel()->text(), QString("Pending: 0"));
    std::string error;
    QVERIFY(ws.changes.AppendImageChange(ws.tempDir, 0x100, 0, "AAAA", error));   // Image0
    QVERIFY(ws.changes.AppendImageChange(ws.tempDir, 0x300, 0, "BBBBBB", error)); // Image1
    ws.changes.AppendStringChange(0x200, "Hi");
    ws.changes.AppendLinkChange(0x404, 0x1234, 0x00100020);
    QCOMPARE(w.pendingPanel()->text(), QString("Pending: 4"));
    const std::string image0 = ws.changes.ImageChanges[0].FileName;
    const std::string image1 = ws.changes.ImageChanges[1].FileName;

    w.tabControl()->setCurrentIndex(ui::TabS3);
    WhenModal([&](QWidget* modal) {
        QVERIFY(modal && modal->objectName() == "PendingChangesDialog");
        auto& grid = *Find<ui::Grid>(*modal, "SGPendingChanges");
        QCOMPARE(GridCells(grid),
                 (QStringList{"Picture", "0x00000100", "4", QString::fromStdString(image0),
                              "String", "0x00000200", "2", "Hi", "Picture", "0x00000300", "6",
                              QString::fromStdString(image1), "Addr&Dim", "0x00000400", "8",
                              "0x00001234 0x00100020"}));
        grid.selectRow(0);
        grid.selectionModel()->select(grid.model()->index(1, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        Click(*modal, "BRemoveChanges"); // asked, and No keeps them
        QCOMPARE(grid.rowCount(), 4);
        QCOMPARE(
            h.dialogs.shown.back().text,
            std::string("Remove the 2 selected change(s)? Their temporary files are deleted."));
        h.dialogs.answers.push_back(true);
        Click(*modal, "BRemoveChanges");
        QCOMPARE(grid.rowCount(), 2);
        QCOMPARE(grid.text(0, 1), QString("0x00000300"));
        Click(*modal, "BClosePending");
    });
    Find<QAction>(w, "MIPendingChanges")->trigger();
    QVERIFY(!QFile::exists(QString::fromStdString(image0)));
    QCOMPARE(ws.changes.total(), size_t(2));
    QCOMPARE(w.pendingPanel()->text(), QString("Pending: 2"));
    QCOMPARE(w.s3Tab().patchGrid().rowCount(), 2); // the patch table follows at once

    h.dialogs.answers.push_back(true);
    Find<QAction>(w, "MISaveAllchanges")->trigger();
    QCOMPARE(w.statusBar()->currentMessage(), QString("Saved 2 changes (14 bytes)"));
    QCOMPARE(w.pendingPanel()->text(), QString("Pending: 2")); // saved changes stay queued
}

void MainWindowTest::languageFileAndMessages() {
    UiHarness h;
    h.window->close();
    WriteWholeFile(h.dir.file("Mardek.ini"), "[Main]\nInstalled=1\nLanguage=ru.lng\n");
    // Windows-1251 text: "Найти" for the button.
    WriteWholeFile(h.dir.file("ru.lng"),
                   "[Form1]\nBImageFind=\xCD\xE0\xE9\xF2\xE8\nLETableAddr=Table at:\n"
                   "MIOpen=Open BIN...\nEHex=typed\n[Form2]\nBReplaceIm=Swap\n"
                   "[Form3]\nLEOldAddr=Link of:\n[Messages]\nMes9=All done.\n");
    h.start();
    ui::TMainF& w = *h.window;
    QCOMPARE(Find<QPushButton>(w, "BImageFind")->text(), QString::fromUtf8("Найти"));
    auto* tableAddr = Find<ui::LabelledEdit>(w, "LETableAddr");
    QCOMPARE(tableAddr->label()->text(), QString("Table at:"));
    QVERIFY(tableAddr->text().isEmpty());
    QCOMPARE(Find<QAction>(w, "MIOpen")->text(), QString("Open BIN..."));
    QCOMPARE(Find<QPushButton>(w.reImageDialog(), "BReplaceIm")->text(), QString("Swap"));
    QCOMPARE(Find<ui::LabelledEdit>(w.changeAddrDialog(), "LEOldAddr")->label()->text(),
             QString("Link of:"));
    // Form1 keys do not reach the dialogs' components of the same name.
    QCOMPARE(Find<ui::LabelledEdit>(w.reImageDialog(), "LEOldAddr")->label()->text(),
             QString("Old Next Address:"));
    QCOMPARE(w.workspace().messages.text(8), std::string("All done."));
}

void MainWindowTest::aboutBoxOnFirstStartAndSettingsRemembered() {
    bool shown = false;
    QString line;
    WhenModal([&](QWidget* modal) {
        shown = modal && modal->objectName() == "AboutBox";
        if (shown)
            line = static_cast<ui::AboutBox*>(modal)->settingsLine();
        if (modal)
            modal->close();
    });
    UiHarness h(false);
    QVERIFY(shown);
    QVERIFY(line.contains(QString::fromStdString(h.dir.file("Mardek.ini"))));
    auto ini = [&](const char* line) {
        return ReadWholeFile(h.dir.file("Mardek.ini")).find(line) != std::string::npos;
    };
    h.window->close();
    QVERIFY(ini("PhoneModel=C2001") && ini("FileManagerAutoRefresh=0"));

    h.start();
    for (const char* item : {"E7201", "COM31", "B230400", "ms3000"})
        Find<QAction>(*h.window, item)->trigger();
    Find<QAction>(*h.window, "MIAutoRefresh")->setChecked(true);
    h.window->close();
    QVERIFY(ini("PhoneModel=E7201") && ini("FileManagerAutoRefresh=1"));
    h.start();
    ui::TMainF& w = *h.window;
    for (const char* item : {"E7201", "COM31", "B230400", "ms3000", "MIAutoRefresh"})
        QVERIFY(Find<QAction>(w, item)->isChecked());
    QCOMPARE(w.workspace().profile.FlashStart(), 0x20000000u);
    QCOMPARE(w.PhonePort, 3);
    QCOMPARE(w.PhoneBaud, 230400);
    QCOMPARE(w.PhoneTimeOut, 3000);
}

// A save cut short by a crash: opening the firmware says so; No keeps the undo file, Yes puts
// the firmware's bytes back as they were before that save.
void MainWindowTest::openingOffersTheRollbackOfAnUnfinishedSave() {
    UiHarness h;
    const std::string fw = WritePatternedFirmware(h.dir.file("fw.bin"));
    const std::string original = ReadWholeFile(fw);
    WriteFault crash;
    crash.action = WriteFault::Action::Exit;
    crash.atByte = CountSaveWrites(fw).all.bytes - 10;
    QCOMPARE(SaveInChild(fw, crash), crash.exitStatus);
    QVERIFY(ReadWholeFile(fw) != original);

    h.dialogs.answers = {false, false}; // keep it for later; no resource survey
    h.open(fw);
    QCOMPARE(h.dialogs.shown.front().kind, 'q');
    QVERIFY(h.dialogs.shown.front().text.find(UndoFileBeside(fw)) != std::string::npos);
    QVERIFY(ReadWholeFile(fw) != original);
    QVERIFY(FindUndoFile(fw, {}).has_value());

    h.dialogs.shown.clear();
    h.dialogs.answers = {true, false};
    h.open(fw);
    QCOMPARE(h.dialogs.shown.size(), size_t{3}); // the offer, "rolled back", the survey question
    QCOMPARE(h.dialogs.shown[1].kind, 'n');
    QCOMPARE(ReadWholeFile(fw), original);
    QVERIFY(!FindUndoFile(fw, {}).has_value());
    QVERIFY(h.window->windowTitle().endsWith("fw.bin"));
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
