#include "UiHarness.h"
#include "fixtures/SurveyFixtures.h"
#include "strings/LanguageEntries.h"
#include "ui/AnimationTab.h"
#include "ui/StringsTab.h"
#include "ui/Surface.h"

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

void UseModel(ui::TMainF& w, PhoneModel model) {
    Find<QAction>(w, ModelComponentName(model).c_str())->trigger();
}

QStringList Cells(ui::TMainF& w, const char* grid) {
    return GridCells(*Find<ui::Grid>(w, grid));
}

// A picture of w x h in colours that change with the position and `seed`; white around it in
// a frame.
Picture Pattern(int w, int h, Rgb24 seed) {
    Picture p(w, h);
    for (size_t i = 0; i < p.Pixels.size(); ++i)
        p.Pixels[i] = static_cast<Rgb24>(seed * 7 + i * 517) & 0xFFFFFF;
    return p;
}
Rgb24 InFrame(const Picture& p, int x, int y) {
    return x < p.Width && y < p.Height ? p.at(x, y) : White;
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
    UiHarness h;
    ui::TMainF& w = *h.window;
    UseModel(w, PhoneModel::C200);
    const SurveyFirmware fw = BuildSurveyFirmware(PhoneModel::C200);
    h.dialogs.answers = {true, true, true, true, true};
    h.open(fw.write(h.dir.file("fw.bin")));
    std::vector<int> asked = {46};
    for (const auto& t : fw.tables)
        asked.push_back(std::array{44, 42, 43, 45}[t.kind]);
    asked.push_back(8);
    QCOMPARE(h.dialogs.numbers(), asked);

    // Both language lists, deleted ones included, their freed blocks, and a language read.
    QStringList lists[2];
    for (const LanguageEntry& e : fw.languages)
        lists[int(e.List)] << QString::fromStdString(LanguageItemText(e));
    for (int list = 0; list < 2; ++list) {
        auto* combo = Find<QComboBox>(w, list == 0 ? "CStrLang" : "CStrLang2");
        QCOMPARE(combo->count(), lists[list].size());
        for (int i = 0; i < combo->count(); ++i)
            QCOMPARE(combo->itemText(i), lists[list][i]);
    }
    Find<QComboBox>(w, "CStrLang")->setCurrentIndex(0);
    QVERIFY(Cells(w, "SGStringTbl").contains("Menu"));

    // The other tabs show what their own reads show from the addresses the survey set.
    const QStringList pictures = Cells(w, "Images09"), sounds = Cells(w, "SGSoundTbl"),
                      java = Cells(w, "SGJava");
    QCOMPARE(pictures.size(), int(fw.pictures) * 2);
    QCOMPARE(sounds.size(), int(fw.sounds) * 4);
    QCOMPARE(java.size(), int(fw.javaFiles) * Find<ui::Grid>(w, "SGJava")->columnCount());
    for (auto [tab, read] : {std::pair{ui::TabImages, "BImgReadTbl"},
                             {ui::TabSounds, "BSndReadTbl"},
                             {ui::TabJava, "BJavaFind"}}) {
        w.tabControl()->setCurrentIndex(tab);
        Click(w, read);
    }
    QCOMPARE(Cells(w, "Images09"), pictures);
    QCOMPARE(Cells(w, "SGSoundTbl"), sounds);
    QCOMPARE(Cells(w, "SGJava"), java);
}

void SurveyAnimationTest::escapeStopsAndNoLeavesTabs() {
    UiHarness h;
    ui::TMainF& w = *h.window;
    UseModel(w, PhoneModel::X120);
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
    QVERIFY(h.text("LETableAddr").isEmpty() && h.text("LESoundTblAddr").isEmpty());
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

    // Frames 100 x 50 and 60 x 80 (its top-left part as in the first), then the first again.
    const Picture a = Pattern(100, 50, 1);
    Picture b = Pattern(60, 80, 2);
    for (int y = 0; y < 50; ++y)
        std::copy_n(a.Pixels.begin() + y * 100, 30, b.Pixels.begin() + y * 60);
    h.writeBmp("A.BMP", a);
    h.writeBmp("b.bmp", b);
    for (const char* file : {"A.BMP", "b.bmp", "a.bmp", "A.BMP"}) {
        h.dialogs.files.push_back(h.dir.file(file));
        Click(w, "BAddAni");
    }
    QVERIFY(h.dialogs.showedText()); // a.bmp is no picture: no frame
    QCOMPARE(frames(), QString("Frame: 3/3"));
    QCOMPARE(h.text("LEAniWidth") + "x" + h.text("LEAniHeight"), QString("100x80"));
    QCOMPARE(shown(99, 49), a.at(99, 49));
    QCOMPARE(shown(100, 49), White);
    QCOMPARE(tab.frameImage().pixel(0, 0), Rgb24{0});

    Click(w, "BStartAni");
    Find<ui::LabelledEdit>(w, "LEAniMoveTo")->setText("x3");
    Click(w, "BExchgAni"); // a, b, a -> b, a, a; the display shows b, the counter stays
    QCOMPARE(h.text("LEAniMoveTo"), QString("3"));
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

    // Saved cut to 100 x 80 (b, a, a): with compression the second frame is transparent where
    // a equals b and the third all transparent; without, both are a.
    for (bool compress : {true, false}) {
        Find<QCheckBox>(w, "CComprAni")->setChecked(compress);
        h.dialogs.files.push_back(h.dir.file("anim.bmp"));
        Click(w, "BSaveAni");
        for (int i : {1, 2}) {
            Picture saved, expected(100, 80);
            std::string error;
            QVERIFY(ReadBmpFile(h.dir.file("anim_" + std::to_string(i) + ".bmp"), saved, error));
            for (int y = 0; y < 80; ++y)
                for (int x = 0; x < 100; ++x) {
                    const bool same = i == 2 || InFrame(a, x, y) == InFrame(b, x, y);
                    expected.at(x, y) = compress && same ? w.workspace().profile.TransparentColor
                                                         : InFrame(a, x, y);
                }
            QVERIFY(saved == expected);
        }
    }

    // Delete to the last frame: 0/0 and a cleared display.
    Click(w, "BStartAni");
    for (int i = 0; i < 3; ++i)
        Click(w, "BDelAni");
    QCOMPARE(frames(), QString("Frame: 0/0"));
    QCOMPARE(shown(0, 0), White);

    // The 255th frame disables Add Frame, with a hint; deleting one enables it again.
    const std::string dot = h.writeBmp("dot.bmp", Picture(1, 1, 0x123456));
    for (size_t i = 0; i < MaxAnimationFrames; ++i) {
        h.dialogs.files.push_back(dot);
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
