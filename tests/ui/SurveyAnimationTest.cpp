#include "UiHarness.h"
#include "fixtures/SurveyFixtures.h"
#include "images/BmpFile.h"
#include "strings/LanguageEntries.h"
#include "ui/AnimationTab.h"
#include "ui/Grid.h"
#include "ui/QtDialogs.h"
#include "ui/SmallWidgets.h"
#include "ui/StringsTab.h"
#include "ui/Surface.h"
#include "workspace/HexText.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QTabBar>
#include <QtTest>

using namespace tovallo;
using namespace tovallo::testing;

namespace {

// A harness on `model`, chosen in the Options menu.
struct ModelUi : UiHarness {
    explicit ModelUi(PhoneModel model) {
        Find<QAction>(*window, ModelComponentName(model).c_str())->trigger();
    }
};

QStringList Cells(ui::TMainF& w, const char* grid) {
    auto* g = Find<ui::Grid>(w, grid);
    QStringList cells;
    for (int r = 0; r < g->rowCount(); ++r)
        for (int c = 0; c < g->columnCount(); ++c)
            cells << g->text(r, c);
    return cells;
}

QString Text(ui::TMainF& w, const char* edit) {
    return Find<ui::LabelledEdit>(w, edit)->text();
}

QStringList Items(ui::TMainF& w, const char* combo) {
    auto* box = Find<QComboBox>(w, combo);
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// A picture whose colours depend on `seed` and the position.
Picture Pattern(int width, int height, Rgb24 seed) {
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.at(x, y) = (seed * 7 + static_cast<Rgb24>(x * 3 + y * 517)) & 0xFFFFFF;
    return p;
}

// What a frame holds: white, the picture at its top-left.
Picture AsFrame(const Picture& p) {
    Picture frame(320, 240);
    for (int y = 0; y < std::min(p.Height, 240); ++y)
        for (int x = 0; x < std::min(p.Width, 320); ++x)
            frame.at(x, y) = p.at(x, y);
    return frame;
}

} // namespace

class SurveyAnimationTest : public QObject {
    Q_OBJECT

  private slots:
    void openingSurveysAndFillsTabs();
    void escapeStopsAndNoLeavesTabs();
    void animationEditor();
};

void SurveyAnimationTest::openingSurveysAndFillsTabs() {
    ModelUi h(PhoneModel::C200);
    ui::TMainF& w = *h.window;
    const SurveyFirmware fw = BuildSurveyFirmware(PhoneModel::C200);
    h.dialogs.answers = {true, true, true, true, true};
    h.open(fw.write(h.dir.file("fw.bin")));

    std::vector<int> asked = {46};
    for (const auto& t : fw.tables)
        asked.push_back(std::array{44, 42, 43, 45}[t.kind]);
    asked.push_back(8);
    QCOMPARE(h.dialogs.numbers(), asked);

    // Both language lists, deleted ones included, and their freed blocks.
    QStringList messages, menus;
    for (const LanguageEntry& e : fw.languages)
        (e.List == LanguageList::Messages ? messages : menus)
            << QString::fromStdString(LanguageItemText(e));
    QCOMPARE(Items(w, "CStrLang"), messages);
    QCOMPARE(Items(w, "CStrLang2"), menus);
    const auto& regions = w.stringsTab().session().freeRegions.regions();
    QCOMPARE(regions.size(), fw.freedBlocks.size());
    for (size_t i = 0; i < regions.size(); ++i)
        QCOMPARE(regions[i].Start, fw.freedBlocks[i].Start);
    Find<QComboBox>(w, "CStrLang")->setCurrentIndex(0);
    QVERIFY(Cells(w, "SGStringTbl").contains("Menu"));

    // The other tabs show what their own reads show from the addresses the survey set.
    auto matchOf = [&](SurveyTableKind kind) {
        for (const auto& t : fw.tables)
            if (t.kind == kind)
                return t.match;
        return 0u;
    };
    QCOMPARE(Text(w, "LETableAddr"), QString::fromStdString(ToHexAddr(matchOf(PicturesTable) + 8)));
    QCOMPARE(Text(w, "LESoundTblAddr"),
             QString::fromStdString(ToHexAddr(matchOf(SoundsTable) + 8)));
    const QStringList pictures = Cells(w, "Images09"), sounds = Cells(w, "SGSoundTbl"),
                      java = Cells(w, "SGJava");
    QCOMPARE(pictures.size(), int(fw.pictures) * 2);
    QCOMPARE(sounds.size(), int(fw.sounds) * 4);
    QCOMPARE(java.size() / Find<ui::Grid>(w, "SGJava")->columnCount(), int(fw.javaFiles));
    w.tabControl()->setCurrentIndex(ui::TabImages);
    Click(w, "BImgReadTbl");
    w.tabControl()->setCurrentIndex(ui::TabSounds);
    Click(w, "BSndReadTbl");
    w.tabControl()->setCurrentIndex(ui::TabJava);
    Click(w, "BJavaFind");
    QCOMPARE(Cells(w, "Images09"), pictures);
    QCOMPARE(Cells(w, "SGSoundTbl"), sounds);
    QCOMPARE(Cells(w, "SGJava"), java);
}

void SurveyAnimationTest::escapeStopsAndNoLeavesTabs() {
    ModelUi h(PhoneModel::X120);
    ui::TMainF& w = *h.window;
    h.open(BuildSurveyFirmware(PhoneModel::X120).write(h.dir.file("fw.bin")));
    QCOMPARE(h.dialogs.numbers(), std::vector<int>{46}); // No: nothing searched
    h.dialogs.shown.clear();
    w.workspace().pumpInterval = std::chrono::milliseconds(0);

    // The first table straddles the first read: the pump after it sees Escape.
    bool locked = false;
    QTimer::singleShot(0, [&] {
        locked = !w.tabControl()->isEnabled() && w.statusProgress()->isVisible() &&
                 !Find<QAction>(w, "MIOpen")->isEnabled() &&
                 !Find<QAction>(w, "MIFindAllResources")->isEnabled();
        QTest::keyClick(&w, Qt::Key_Escape);
    });
    Find<QAction>(w, "MIFindAllResources")->trigger();
    QVERIFY(locked);
    QCOMPARE(h.dialogs.numbers(), std::vector<int>{8});
    QVERIFY(w.tabControl()->isEnabled() && !w.statusProgress()->isVisible());

    // Again with the real message boxes: Escape in each is their own (No to the four questions,
    // then message 8), the survey goes on, and No leaves each tab as it was.
    w.setDialogs(nullptr);
    int boxes = 0;
    QTimer escape;
    connect(&escape, &QTimer::timeout, this, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            QTest::keyClick(modal, Qt::Key_Escape);
            if (++boxes > 10)
                modal->close();
        }
    });
    escape.start(10);
    Find<QAction>(w, "MIFindAllResources")->trigger();
    escape.stop();
    QCOMPARE(boxes, 5);
    QVERIFY(Text(w, "LETableAddr").isEmpty() && Text(w, "LESoundTblAddr").isEmpty());
    QCOMPARE(Find<QComboBox>(w, "CStrLang")->count(), 0);
}

void SurveyAnimationTest::animationEditor() {
    UiHarness h;
    ui::TMainF& w = *h.window;
    ui::AnimationTab& tab = w.animationTab();
    w.tabControl()->setCurrentIndex(ui::TabAnimation);
    auto frames = [&] { return Find<QLabel>(w, "SFrames")->text(); };
    auto shown = [&](int x, int y) { return tab.frameImage().pixel(x + 1, y + 1); };
    QCOMPARE(frames(), QString("Frame: 0/0"));

    // The open filter takes the extension in any letter case.
    const QString pattern = QString(ui::OpenAniFilter).section('|', 1);
    for (const char* name : {"a.bmp", "b.BMP", "c.Bmp", "d.txt"})
        WriteWholeFile(h.dir.file(name), "x");
    QCOMPARE(QDir(QString::fromStdString(h.dir.path().string()))
                 .entryList({pattern}, QDir::Files | QDir::CaseSensitive),
             (QStringList{"a.bmp", "b.BMP", "c.Bmp"}));

    // Frames 100 x 50 and 60 x 80 (half of it as the first), then the first again.
    const Picture a = Pattern(100, 50, 1);
    Picture b = Pattern(60, 80, 2);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 30; ++x)
            b.at(x, y) = a.at(x, y);
    std::string error;
    QVERIFY(WriteBmpFile(h.dir.file("A.BMP"), a, error) &&
            WriteBmpFile(h.dir.file("b.bmp"), b, error));
    for (const char* file : {"A.BMP", "b.bmp", "a.bmp", "A.BMP"}) {
        h.dialogs.files.push_back(h.dir.file(file));
        Click(w, "BAddAni");
    }
    QVERIFY(h.dialogs.showedText()); // a.bmp is no picture: no frame
    QCOMPARE(frames(), QString("Frame: 3/3"));
    QCOMPARE(Text(w, "LEAniWidth"), QString("100"));
    QCOMPARE(Text(w, "LEAniHeight"), QString("80"));
    QCOMPARE(shown(99, 49), a.at(99, 49));
    QCOMPARE(shown(100, 49), White);
    QCOMPARE(tab.frameImage().pixel(0, 0), Rgb24{0});

    Click(w, "BPrevAni");
    QCOMPARE(frames(), QString("Frame: 2/3"));
    QCOMPARE(shown(59, 79), b.at(59, 79));
    Click(w, "BStartAni");
    Find<ui::LabelledEdit>(w, "LEAniMoveTo")->setText("x3");
    Click(w, "BExchgAni"); // a, b, a -> b, a, a; the display shows b, the counter stays
    QCOMPARE(Text(w, "LEAniMoveTo"), QString("3"));
    QCOMPARE(frames(), QString("Frame: 1/3"));
    QCOMPARE(shown(59, 79), b.at(59, 79));

    // Play runs on the timer, on other tabs too; Stop ends it.
    Click(w, "BAniPlay");
    QCOMPARE(Find<QPushButton>(w, "BAniPlay")->text(), QString("Stop"));
    for (const char* nav : {"BPrevAni", "BNextAni", "BStartAni", "BStopAni"})
        QVERIFY(!Find<QPushButton>(w, nav)->isEnabled());
    QCOMPARE(tab.timer().interval(), 1000);
    w.tabControl()->setCurrentIndex(ui::TabImages);
    QStringList seen;
    connect(&tab.timer(), &QTimer::timeout, this, [&] { seen << frames(); });
    tab.timer().setInterval(5);
    QTRY_VERIFY(seen.size() >= 4);
    QCOMPARE(seen.mid(0, 4), (QStringList{"Frame: 2/3", "Frame: 3/3", "Frame: 1/3", "Frame: 2/3"}));
    disconnect(&tab.timer(), &QTimer::timeout, this, nullptr);
    w.tabControl()->setCurrentIndex(ui::TabAnimation);
    Click(w, "BAniPlay");
    QVERIFY(!tab.timer().isActive() && Find<QPushButton>(w, "BStopAni")->isEnabled());
    QCOMPARE(Find<QPushButton>(w, "BAniPlay")->text(), QString("Play"));

    // Saved cut to 100 x 80; with compression each pixel equal to the previous frame's is
    // transparent, also where the frame before that differed.
    const std::vector<Picture> order = {AsFrame(b), AsFrame(a), AsFrame(a)};
    WriteWholeFile(h.dir.file("anim_1.bmp"), "old");
    for (bool compress : {true, false}) {
        Find<QCheckBox>(w, "CComprAni")->setChecked(compress);
        h.dialogs.files.push_back(h.dir.file("anim.bmp"));
        Click(w, "BSaveAni");
        QVERIFY(!QFile::exists(QString::fromStdString(h.dir.file("anim.bmp"))));
        for (size_t i = 0; i < order.size(); ++i) {
            Picture saved, expected = order[i].cropped(100, 80);
            QVERIFY(ReadBmpFile(h.dir.file("anim_" + std::to_string(i) + ".bmp"), saved, error));
            for (int y = 0; compress && i > 0 && y < 80; ++y)
                for (int x = 0; x < 100; ++x)
                    if (order[i].at(x, y) == order[i - 1].at(x, y))
                        expected.at(x, y) = w.workspace().profile.TransparentColor;
            QVERIFY(saved == expected);
        }
    }

    // Delete to the last frame: 0/0 and a cleared display.
    Click(w, "BDelAni"); // nothing: entering the tab left no current frame
    QCOMPARE(frames(), QString("Frame: 0/3"));
    Click(w, "BStartAni");
    for (int i = 0; i < 3; ++i)
        Click(w, "BDelAni");
    QCOMPARE(frames(), QString("Frame: 0/0"));
    QCOMPARE(shown(0, 0), White);
    QCOMPARE(tab.frameImage().pixel(0, 0), Rgb24{0});

    // The 255th frame disables Add Frame, with a hint; deleting one enables it again.
    QVERIFY(WriteBmpFile(h.dir.file("dot.bmp"), Picture(1, 1, 0x123456), error));
    for (size_t i = 0; i < MaxAnimationFrames; ++i) {
        h.dialogs.files.push_back(h.dir.file("dot.bmp"));
        Click(w, "BAddAni");
    }
    auto* add = Find<QPushButton>(w, "BAddAni");
    QVERIFY(!add->isEnabled() && add->toolTip().contains("255"));
    QCOMPARE(frames(), QString("Frame: 255/255"));
    Click(w, "BDelAni");
    QVERIFY(add->isEnabled());
}

QTEST_MAIN(SurveyAnimationTest)
#include "SurveyAnimationTest.moc"
