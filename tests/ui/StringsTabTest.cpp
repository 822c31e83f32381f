#include "ui/StringsTab.h"
#include "UiHarness.h"
#include "fixtures/StringFixtures.h"
#include "workspace/MessageNumbers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QProgressBar>
#include <QTabBar>
#include <QtTest>

using namespace tovallo;
using namespace tovallo::testing;

namespace {

// The string firmware of the C200 opened in the window, on the "Strings" tab.
struct StringsUi : UiHarness {
    StringFirmware fw = BuildStringFirmware(PhoneModel::C200);

    StringsUi() {
        window->workspace().pumpInterval = std::chrono::milliseconds(0);
        open(fw.image.write(dir.file("strings.bin")));
        window->tabControl()->setCurrentIndex(ui::TabStrings);
        dialogs.shown.clear();
    }
    // The search result: text, size, start and stop address.
    QStringList found() {
        return {text("LEStrThisStr"), text("LEStrStrSize"), text("LEStrStartAddr"),
                text("LEStrStopAddr")};
    }
    std::string fileBytes(uint32_t at, size_t count) {
        return ReadWholeFile(dir.file("strings.bin")).substr(at, count);
    }
};

} // namespace

class StringsTabTest : public QObject {
    Q_OBJECT

  private slots:
    void findAndAddStrings();
    void codePageQuestionAndUtf8Result();
    void deleteLanguageMoveLongerStringAndSave();
    void freeMemoryCommands();
};

void StringsTabTest::findAndAddStrings() {
    StringsUi h;
    ui::TMainF& w = *h.window;
    QVERIFY(!Find<QPushButton>(w, "BReadTbl")->isVisible());
    QVERIFY(!Find<QPushButton>(w, "BStringStop")->isVisible());
    QVERIFY(Find<QCheckBox>(w, "CBTblUTF")->isChecked());
    ui::Grid& grid = w.stringsTab().replaceGrid();
    QCOMPARE(GridTitles(grid), QString::fromUtf8("#|Искомая строка|Нач. адрес|Кон. адрес|"
                                                 "Заменить на строку|Размер|UTF"));

    Click(w, "BStringFind");
    QCOMPARE(h.dialogs.numbers(), std::vector<int>{msg::EnterLine});

    // While the search runs, "Stop Search" stands in place of "Find String" and stops it.
    bool swapped = false;
    h.type("LEStrSearch", "nowhere");
    QTimer::singleShot(0, [&] {
        swapped = Find<QPushButton>(w, "BStringStop")->isVisible() &&
                  !Find<QPushButton>(w, "BStringFind")->isVisible() &&
                  !Find<ui::LabelledEdit>(w, "LEStrSearch")->isEnabled();
        Click(w, "BStringStop");
        swapped = swapped && w.workspace().SearchStop;
    });
    Click(w, "BStringFind");
    QVERIFY(swapped);
    QVERIFY(Find<QPushButton>(w, "BStringFind")->isVisible());
    QVERIFY(Find<ui::LabelledEdit>(w, "LEStrSearch")->isEnabled());
    QCOMPARE(h.dialogs.numbers().back(), msg::SearchCompleted);

    h.type("LEStrSearch", "abc");
    Find<QCheckBox>(w, "CBFromBegin")->setChecked(true);
    Click(w, "BStringFind");
    QCOMPARE(h.found(), (QStringList{"abc", "3", AddrText(h.fw.abc), AddrText(h.fw.abc + 2)}));
    h.type("LEStrReplace", "Hello");
    Find<QCheckBox>(w, "CBeos")->setChecked(true);
    Click(w, "BAddStr");
    QCOMPARE(GridRow(grid, 0, 1), (QStringList{"abc", AddrText(h.fw.abc), AddrText(h.fw.abc + 5),
                                               QString("Hello") + QChar(1), "6", "0"}));
    grid.rowCheckBox(0)->setChecked(true);
    Find<QCheckBox>(w, "CBFromBegin")->setChecked(false);
    Click(w, "BStringFind"); // the next "abc"
    Find<QCheckBox>(w, "CBeos")->setChecked(false);
    h.type("LEStrReplace", "xyz");
    Click(w, "BAddStr");
    QCOMPARE(grid.rowCount(), 2);
    QCOMPARE(grid.text(1, 2), AddrText(h.fw.abc + 0x10));
    QVERIFY(grid.rowChecked(0)); // a new row leaves the checks of the others

    // Modify File takes the checked row only; the other keeps its row and its check box.
    Click(w, "BStrUnselect");
    grid.rowCheckBox(1)->setChecked(true);
    Click(w, "BStrModify");
    const auto& strings = w.workspace().changes.StringChanges;
    QCOMPARE(strings.size(), size_t{1});
    QCOMPARE(strings[0].Addr, h.fw.abc + 0x10);
    QCOMPARE(strings[0].Text, std::string("xyz"));
    QCOMPARE(grid.rowCount(), 1);
    QCOMPARE(grid.text(0, 2), AddrText(h.fw.abc));
    QVERIFY(grid.rowCheckBox(0) && !grid.rowChecked(0));
    Click(w, "BStrSelect");
    Find<QAction>(w, "MIStrDeleteSelected")->trigger();
    QVERIFY(grid.text(0, 1).isEmpty());
    QCOMPARE(strings.size(), size_t{1});

    // Opening a firmware empties the table.
    Click(w, "BAddStr");
    QCOMPARE(grid.text(0, 1), QString("abc"));
    h.dialogs.choices.push_back(Dialogs::Answer::No);
    h.open(h.dir.file("strings.bin"));
    QVERIFY(grid.text(0, 1).isEmpty());
    QVERIFY(w.stringsTab().session().replaceTable.empty());
}

void StringsTabTest::codePageQuestionAndUtf8Result() {
    StringsUi h;
    ui::TMainF& w = *h.window;
    auto* utf8 = Find<QCheckBox>(w, "CWinUtf");
    h.type("LEStrSearch", "abc");
    Click(w, "BStringFind");
    utf8->click(); // answered No: the box goes back, the fields stay
    QVERIFY(!utf8->isChecked());
    QCOMPARE(h.dialogs.numbers(), std::vector<int>{msg::CodePageChange});
    QCOMPARE(h.text("LEStrSearch"), QString("abc"));
    QCOMPARE(h.text("LEStrStartAddr"), AddrText(h.fw.abc));
    QVERIFY(!w.stringsTab().session().search.Utf8);

    h.dialogs.answers = {true};
    utf8->click();
    QVERIFY(utf8->isChecked());
    QVERIFY(h.text("LEStrSearch").isEmpty());
    QCOMPARE(h.found(), QStringList(4));

    // A Russian text searched as UTF-8; the result shown as stored, then decoded.
    h.type("LEStrSearch", QString::fromUtf8("Ме"));
    Click(w, "BStringFind");
    const uint32_t menu = h.fw.languages[1].strings[0];
    QCOMPARE(h.found().mid(0, 3),
             (QStringList{QString::fromUtf8("РњРµРЅСЋ"), "8", AddrText(menu)}));
    Find<QCheckBox>(w, "CResUtf")->click();
    QCOMPARE(h.text("LEStrThisStr"), QString::fromUtf8("Меню"));
    QCOMPARE(h.dialogs.numbers().size(), size_t{2});
}

void StringsTabTest::deleteLanguageMoveLongerStringAndSave() {
    StringsUi h;
    ui::TMainF& w = *h.window;
    const auto& l = h.fw.languages;
    auto* messages = Find<QComboBox>(w, "CStrLang");
    auto* menus = Find<QComboBox>(w, "CStrLang2");
    ui::Grid& table = w.stringsTab().stringTableGrid();
    Click(w, "BStringTblSearch");
    QCOMPARE(messages->count(), 3);
    QCOMPARE(menus->count(), 2);
    QCOMPARE(messages->itemText(1), AddrText(l[1].table) + " 1013");
    QVERIFY(Find<QPushButton>(w, "BEditStr")->isEnabled());

    menus->setCurrentIndex(1);
    QCOMPARE(table.rowCount(), 2001);
    messages->setCurrentIndex(0); // the other list's choice goes
    QCOMPARE(menus->currentIndex(), -1);
    QCOMPARE(table.rowCount(), 1010);
    QCOMPARE(table.text(0, 0), AddrText(l[0].strings[1]));
    h.dialogs.answers = {true};
    Click(w, "BDelLang");
    QCOMPARE(messages->itemText(0), QString("Deleted"));
    QCOMPARE(messages->itemText(2), QString("Deleted")); // it shared the freed table
    QVERIFY(table.text(0, 0).isEmpty());
    const uint32_t block = l[0].table + 4;

    // A longer replacement of a table string goes to the freed slots.
    messages->setCurrentIndex(1);
    table.selectRow(0);
    w.stringsTab().SGStringTblClick(0);
    QCOMPARE(Find<ui::LabelledEdit>(w, "LEStrMain")->text(), QString::fromUtf8("Да"));
    Click(w, "BEditStr");
    QVERIFY(Find<QCheckBox>(w, "CWinUtf")->isChecked());
    QCOMPARE(h.text("LEStrSearch"), QString::fromUtf8("Да"));
    QCOMPARE(h.text("LEStrStrSize"), QString("4"));
    const QString longer = QString::fromUtf8("Длинная строка");
    h.type("LEStrReplace", longer);
    h.dialogs.answers = {true};
    Click(w, "BAddStr");
    const QByteArray stored = longer.toUtf8();
    const auto size = static_cast<uint32_t>(stored.size()) + 1; // with the end code
    ui::Grid& grid = w.stringsTab().replaceGrid();
    QCOMPARE(grid.text(0, 2), AddrText(block));
    QCOMPARE(grid.text(0, 5), QString::number(size));
    QCOMPARE(grid.text(0, 6), QString("1"));

    grid.rowCheckBox(0)->setChecked(true);
    Click(w, "BStrModify");
    h.dialogs.answers = {true};
    Find<QAction>(w, "MISaveAllchanges")->trigger();
    QCOMPARE(h.dialogs.numbers(),
             (std::vector<int>{msg::SearchCompleted, msg::DeleteLanguage,
                               msg::StringLongerThanOriginal, msg::KeepChanges}));
    const uint32_t placed = block + 12;
    QCOMPARE(h.fileBytes(placed, size), stored.toStdString() + '\0');
    QCOMPARE(h.fileBytes(l[1].table + 4, 4), Le32Bytes(placed));
    QCOMPARE(h.fileBytes(block, 12), "zQKV" + Le32Bytes(1010 * 4) + Le32Bytes(12 + size));
    QCOMPARE(h.fileBytes(l[0].entry, 4), Le32Bytes(l[1].table));
    QCOMPARE(h.fileBytes(l[2].entry, 4), Le32Bytes(l[1].table));

    // Another phone model forgets the languages read.
    Find<QAction>(w, "E7201")->trigger();
    QCOMPARE(messages->count(), 0);
    QVERIFY(table.text(0, 0).isEmpty());
}

void StringsTabTest::freeMemoryCommands() {
    StringsUi h;
    ui::TMainF& w = *h.window;
    Find<QAction>(w, "MIDisplayMemory")->trigger();
    Find<QAction>(w, "MIFindFreeSpace")->trigger(); // answered No
    h.dialogs.answers = {true};
    Find<QAction>(w, "MIFindFreeSpace")->trigger();
    QVERIFY(!w.statusProgress()->isVisible());
    QCOMPARE(h.dialogs.numbers(),
             (std::vector<int>{-2, msg::ClearAllocatedMemory, msg::ClearAllocatedMemory, -2}));
    QCOMPARE(h.dialogs.shown[0].text,
             std::string("Total Memory: 0 byte In 0 memory Regions. Free Memory: 0 byte."));
    // The sound block of the firmware; the marker at offset 0 and the broken ones are no regions.
    QCOMPARE(h.dialogs.shown[3].text,
             std::string("Total Memory: 512 byte In 1 memory Regions. Free Memory: 500 byte."));
}

QTEST_MAIN(StringsTabTest)
#include "StringsTabTest.moc"
