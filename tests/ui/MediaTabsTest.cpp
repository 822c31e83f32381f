#include "UiHarness.h"
#include "fixtures/MediaFixtures.h"
#include "ui/FileBrowser.h"
#include "ui/JavaTab.h"
#include "ui/SoundsTab.h"
#include "workspace/MessageNumbers.h"

#include <QAction>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QTabBar>
#include <QtTest>

using namespace tovallo;
using namespace tovallo::testing;

namespace {

// The media firmware of a model; `start` writes it and opens it in the window on a tab.
struct MediaUi : UiHarness {
    MediaImage image;

    explicit MediaUi(PhoneModel model = PhoneModel::C200) : image(BuildMediaImage(model)) {
        window->workspace().pumpInterval = std::chrono::milliseconds(0);
        Find<QAction>(*window, ModelComponentName(model).c_str())->trigger();
    }
    void start(int tab) {
        open(image.write(fwPath()));
        window->tabControl()->setCurrentIndex(tab);
        dialogs.shown.clear();
    }
    std::string fwPath() const { return dir.file("media.bin"); }
    // Chooses `path` in the file browser.
    void chooseFile(const std::string& path) {
        ui::FileBrowser& browser = window->soundsTab().fileBrowser();
        browser.showFolder(QString::fromStdString(dir.path().string()));
        const QModelIndex file = browser.fileModel().index(QString::fromStdString(path));
        browser.fileView()->selectionModel()->select(file, QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
    }
};

// A press and release, then the double click as the platform reports it.
void DoubleClick(ui::Grid& grid, QPoint at) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class MediaTabsTest : public QObject {
    Q_OBJECT

  private slots:
    void findReadRenameAndTableFile();
    void replaceRelinkAndSave();
    void javaFindStopReplaceAndSave();
};

void MediaTabsTest::findReadRenameAndTableFile() {
    MediaUi h(PhoneModel::P730); // 20-byte table entries
    h.start(ui::TabSounds);
    ui::TMainF& w = *h.window;
    ui::Grid& grid = w.soundsTab().soundGrid();
    const auto& sounds = h.image.sounds;
    QVERIFY(Find<QGroupBox>(w, "GBSoundFiles")->isVisible());

    Click(w, "BSndFind");
    QCOMPARE(grid.rowCount(), 3);
    QCOMPARE(GridRow(grid, 2), (QStringList{"Sound_3", AddrText(sounds[2].addr), "64", "MMF"}));
    QCOMPARE(h.dialogs.numbers(), std::vector<int>{msg::SearchCompleted});

    Click(w, "BSndFindTbl");
    QCOMPARE(h.text("LESoundTblAddr"), AddrText(h.image.soundTable));
    QVERIFY(grid.text(0, 0).isEmpty());
    h.type("LESoundTblAddr", "0x");
    Click(w, "BSndReadTbl"); // read as 0x0, where no table is
    QCOMPARE(h.text("LESoundTblAddr"), QString("0x0"));
    h.type("LESoundTblAddr", AddrText(h.image.soundTable).toLower());
    Click(w, "BSndReadTbl");
    QCOMPARE(grid.rowCount(), 3);
    QCOMPARE(GridRow(grid, 1), (QStringList{"Sound_2", AddrText(sounds[1].addr), "264", "MMF"}));
    const std::vector<uint32_t> links = w.soundsTab().soundList().SoundLinks;
    QCOMPARE(links[1], h.image.soundTable + 20);

    // Rename in place: the edit lies over the name cell; other columns are not editable.
    auto* edit = Find<QLineEdit>(w, "ESndTbl");
    DoubleClick(grid, grid.visualRect(grid.model()->index(0, 1)).center());
    QVERIFY(!edit->isVisible());
    const QRect name = grid.visualRect(grid.model()->index(0, 0));
    DoubleClick(grid, name.center());
    QVERIFY(edit->isVisible());
    QCOMPARE(edit->geometry(), name.adjusted(1, 1, 2, 2));
    QCOMPARE(edit->text(), QString("Sound_1"));
    edit->selectAll();
    QTest::keyClicks(edit, "Intro");
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(!edit->isVisible());
    QCOMPARE(grid.text(0, 0), QString("Intro"));
    DoubleClick(grid, grid.visualRect(grid.model()->index(1, 0)).center());
    QVERIFY(edit->hasFocus());
    Find<QPushButton>(w, "BSndExport")->setFocus(); // leaving the box unchanged closes it
    QVERIFY(!edit->isVisible());

    // Export proposes the new name.
    grid.selectRow(0);
    h.dialogs.files = {h.dir.file("intro.mmf")};
    Click(w, "BSndExport");
    QCOMPARE(h.dialogs.suggestedNames.back(), std::string("Intro"));
    QCOMPARE(ReadWholeFile(h.dir.file("intro.mmf")),
             ReadWholeFile(h.fwPath()).substr(sounds[0].addr, sounds[0].size));

    // Saved to a table file and opened again after a scan: the same rows and links.
    h.dialogs.files = {h.dir.file("table.txt")};
    Click(w, "BSndSaveTbl");
    QVERIFY(ReadWholeFile(h.dir.file("table.txt")).starts_with("001 Intro\t Addr: "));
    Click(w, "BSndFind");
    QCOMPARE(grid.text(0, 0), QString("Sound_1"));
    h.dialogs.files = {h.dir.file("table.txt")};
    Click(w, "BSndOpenTbl");
    QCOMPARE(GridRow(grid, 0), (QStringList{"Intro", AddrText(sounds[0].addr), "512", "MMF"}));
    QCOMPARE(w.soundsTab().soundList().SoundLinks, links);

    // Another phone model forgets the list and the table address.
    Find<QAction>(w, "C2001")->trigger();
    QVERIFY(grid.text(0, 0).isEmpty() && w.soundsTab().soundList().empty());
    QVERIFY(h.text("LESoundTblAddr").isEmpty());
}

void MediaTabsTest::replaceRelinkAndSave() {
    MediaUi h;
    const MediaImage::Sound sound = h.image.sounds[1];
    h.image.flash.placeU32(0x8000, sound.addr).placeU32(0x8100, sound.addr);
    h.start(ui::TabSounds);
    ui::TMainF& w = *h.window;
    const std::string before = ReadWholeFile(h.fwPath());
    ui::FileBrowser& browser = w.soundsTab().fileBrowser();
    QCOMPARE(browser.fileView()->selectionMode(), QAbstractItemView::SingleSelection);
    Find<QAction>(w, "MIBrowserIcons")->trigger();
    QCOMPARE(qobject_cast<QListView*>(browser.fileView())->viewMode(), QListView::IconMode);

    h.type("LESoundTblAddr", AddrText(h.image.soundTable));
    Click(w, "BSndReadTbl");
    w.soundsTab().soundGrid().selectRow(1);
    const std::string larger = MmfFile(sound.size, 9); // 8 bytes more than the sound
    WriteWholeFile(h.dir.file("new.mmf"), larger);
    h.chooseFile(h.dir.file("new.mmf"));
    QCOMPARE(browser.selectedFiles(), std::vector<std::string>{h.dir.file("new.mmf")});
    h.dialogs.answers = {true, true};
    Click(w, "BSndReplace");
    QCOMPARE(h.dialogs.numbers(),
             (std::vector<int>{msg::ReplaceSound, msg::SoundLargerThanOriginal}));

    Click(w, "BSndFindAddr");
    ui::Grid& found = w.soundsTab().linkGrid();
    const uint32_t entry = h.image.soundTable + 8;
    QCOMPARE(found.rowCount(), 3);
    QCOMPARE(found.text(0, 0), AddrText(entry));
    QCOMPARE(found.text(2, 0), AddrText(0x8100));

    // The second and third positions get the new address; the new size went to entry + 4.
    found.setRangeSelected(QTableWidgetSelectionRange(1, 0, 2, 0), true);
    h.type("LESndNewAddr", "9A 00");
    h.dialogs.answers = {true};
    Click(w, "BSndChngAddr");
    QCOMPARE(h.text("LESndNewAddr"), QString("0x9A00"));
    QCOMPARE(w.soundsTab().soundGrid().text(1, 1), AddrText(0x9A00));

    h.dialogs.answers = {true};
    Find<QAction>(w, "MISaveAllchanges")->trigger();
    std::string expected = before;
    expected.replace(sound.addr, larger.size(), larger);
    expected.replace(entry + 4, 4, Le32Bytes(static_cast<uint32_t>(larger.size())));
    expected.replace(0x8000, 4, Le32Bytes(0x9A00));
    expected.replace(0x8100, 4, Le32Bytes(0x9A00));
    QVERIFY(ReadWholeFile(h.fwPath()) == expected);
}

void MediaTabsTest::javaFindStopReplaceAndSave() {
    MediaUi h;
    h.start(ui::TabJava);
    ui::TMainF& w = *h.window;
    ui::Grid& grid = w.javaTab().javaGrid();
    Click(w, "BJavaFind");
    QCOMPARE(h.dialogs.numbers(), std::vector<int>{msg::JavaGamesFound});
    QCOMPARE(grid.rowCount(), 2);
    QCOMPARE(GridRow(grid, 0), (QStringList{"#Tetris#Tetris.jad", AddrText(h.image.base + 0x6000),
                                            QString::number(h.image.jad.size())}));

    // Another firmware empties the list. Without a table the search runs long enough to be
    // stopped: Stop is shown, the other buttons and the tabs are locked meanwhile.
    MediaImage plain = BuildMediaImage(PhoneModel::C200);
    plain.flash.place(0x4000, std::string(16, 'x'));
    h.open(plain.write(h.dir.file("plain.bin")));
    QVERIFY(grid.text(0, 0).isEmpty());
    bool locked = false;
    QTimer::singleShot(0, [&] {
        locked = Find<QPushButton>(w, "BJavaStop")->isVisible() &&
                 !Find<QPushButton>(w, "BJavaFind")->isEnabled() &&
                 !Find<QPushButton>(w, "BJavaReplace")->isEnabled() && !w.tabControl()->isEnabled();
        Click(w, "BJavaStop");
        locked = locked && w.workspace().SearchStop;
    });
    Click(w, "BJavaFind");
    QVERIFY(locked);
    QVERIFY(!Find<QPushButton>(w, "BJavaStop")->isVisible());
    QVERIFY(Find<QPushButton>(w, "BJavaExport")->isEnabled() && w.tabControl()->isEnabled());

    h.open(h.fwPath());
    Click(w, "BJavaFind");
    grid.selectRow(0);
    h.dialogs.files = {h.dir.file("out.jad")};
    Click(w, "BJavaExport");
    QCOMPARE(ReadWholeFile(h.dir.file("out.jad")), h.image.jad);

    // A larger JAR chosen with an upper-case extension: messages 25 and 26.
    const std::string game = h.dir.file("Game.JAR");
    WriteJar(game, {{"META-INF/MANIFEST.MF", TetrisManifest()},
                    {"game/Main.class", std::string(900, 'g'), false}});
    const std::string bytes = ReadWholeFile(game);
    grid.selectRow(1);
    h.dialogs.shown.clear();
    h.dialogs.files = {game};
    h.dialogs.answers = {true, true};
    Click(w, "BJavaReplace");
    QCOMPARE(h.dialogs.numbers(),
             (std::vector<int>{msg::ReplaceFile, msg::SoundLargerThanOriginal}));
    h.dialogs.answers = {true};
    Find<QAction>(w, "MISaveAllchanges")->trigger();
    const std::string saved = ReadWholeFile(h.fwPath());
    const uint32_t entry = h.image.javaEntries[1];
    const std::string text = "e:\\S100\\#Game#Game.jar";
    QCOMPARE(saved.substr(h.image.base + 0x7000, bytes.size()), bytes);
    QCOMPARE(saved.substr(entry, text.size() + 1), text + '\0');
    QCOMPARE(saved.substr(entry + 128, 4), Le32Bytes(static_cast<uint32_t>(bytes.size())));
    Click(w, "BJavaFind");
    QCOMPARE(GridRow(grid, 1), (QStringList{"#Game#Game.jar", AddrText(h.image.base + 0x7000),
                                            QString::number(bytes.size())}));

    // The JAD beside a JAR on disk.
    h.dialogs.files = {game};
    Click(w, "BJavaCreateJad");
    QVERIFY(ReadWholeFile(h.dir.file("Game.jad"))
                .starts_with("MIDlet-1: Tetris, /icon.png, tetris.Main\r\n"));
}

QTEST_MAIN(MediaTabsTest)
#include "MediaTabsTest.moc"
