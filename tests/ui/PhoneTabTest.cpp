#include "ui/PhoneTab.h"
#include "UiHarness.h"
#include "phone/PhoneSession.h"
#include "phone/PhoneSimulator.h"
#include "ui/FileBrowser.h"
#include "ui/SoundsTab.h"
#include "workspace/MessageNumbers.h"

#include <QAction>
#include <QComboBox>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTreeWidget>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

using namespace tovallo;
using namespace tovallo::testing;

namespace {

// The window with the simulated phone on a pseudo terminal that [Ports] maps to COM4; the phone
// answers in its own thread and keeps its files in the store below the scratch directory.
struct PhoneUi : UiHarness {
    std::unique_ptr<PhoneSimulator> sim;
    std::atomic<bool> stop{false};
    std::thread thread;

    explicit PhoneUi(const std::vector<std::string>& faults = {}) {
        SimulatorOptions options;
        options.storeDir = dir.file("store");
        for (const std::string& faultText : faults) {
            std::string problem;
            options.faults.push_back(ParseSimulatorFault(faultText, problem).value());
        }
        std::filesystem::create_directories(options.storeDir + "/pictures");
        WriteWholeFile(options.storeDir + "/pictures/logo.gif", "GIF89a");
        WriteWholeFile(options.storeDir + "/pictures/03_BOOK.jpg", std::string(700, 'j'));
        std::string error;
        sim = PhoneSimulator::Create(options, error);
        if (!sim)
            qFatal("no simulated phone: %s", error.c_str());
        // COM5 names a device that is not there.
        WriteWholeFile(dir.file("Mardek.ini"), ReadWholeFile(dir.file("Mardek.ini")) +
                                                   "[Ports]\nCOM4=" + sim->devicePath() +
                                                   "\nCOM5=" + dir.file("no-such-tty") + "\n");
        thread = std::thread([this] { sim->run(stop); });
    }
    ~PhoneUi() {
        window->close(); // disconnects while the phone still answers
        stop = true;
        thread.join();
    }

    ui::PhoneTab& tab() const { return window->phoneTab(); }
    void choose(const char* node) {
        auto& tree = tab().phoneTree();
        tree.setCurrentItem(tree.findItems(node, Qt::MatchExactly | Qt::MatchRecursive).value(0));
    }
    // LVPhone's rows as "name size index".
    QStringList rows() const {
        QStandardItemModel& model = tab().phoneFileModel();
        QStringList out;
        for (int r = 0; r < model.rowCount(); ++r)
            out << model.item(r, 0)->text() + " " + model.item(r, 1)->text() + " " +
                       model.item(r, 2)->text();
        return out;
    }
    QModelIndex row(int r) const { return tab().phoneFileModel().index(r, 0); }
    // A file of the scratch directory in the File Browser.
    QModelIndex pcFile(const std::string& name) const {
        ui::FileBrowser& browser = window->soundsTab().fileBrowser();
        browser.showFolder(QString::fromStdString(dir.path().string()));
        return browser.fileModel().index(QString::fromStdString(dir.file(name)));
    }
    QString panel(int i) const { return window->statusPanel(i)->text(); }
    bool stored(const std::string& name) const {
        return std::filesystem::exists(dir.file("store/pictures/" + name));
    }
};

// Selects `items` in `view` as Ctrl+clicks would; the last one becomes the current item.
void Select(QAbstractItemView* view, const QModelIndexList& items) {
    view->selectionModel()->clear();
    for (const QModelIndex& item : items)
        view->selectionModel()->setCurrentIndex(item, QItemSelectionModel::Select |
                                                          QItemSelectionModel::Rows);
}

} // namespace

class PhoneTabTest : public QObject {
    Q_OBJECT

  private slots:
    void connectListSendAndDelete();
    void missingPortAndSilentPhone();
};

void PhoneTabTest::connectListSendAndDelete() {
    PhoneUi h;
    ui::TMainF& w = *h.window;
    w.tabControl()->setCurrentIndex(ui::TabPhoneFiles);
    QVERIFY(h.dialogs.shown.empty());
    QCOMPARE((QStringList{h.panel(0), h.panel(1), h.panel(2), h.panel(3)}),
             (QStringList{"Model: SGH-E720", "Firmware: E720XEEH1", "IMEI: 354321000000001",
                          "IMSI: 250011234567890"}));
    ui::FileBrowser& browser = w.soundsTab().fileBrowser();
    QCOMPARE(browser.fileView()->selectionMode(), QAbstractItemView::ExtendedSelection);

    h.choose("Pictures");
    QCOMPARE(h.rows(), (QStringList{"logo 6 0", "BOOK 700 3"}));
    QCOMPARE(h.panel(4), QString("Memory: 999294 / 1000000"));
    Select(h.tab().phoneFileView(), {h.row(1)});
    QCOMPARE(Find<QLabel>(w, "STFileSize")->text(), QString("Size: 700"));
    QCOMPARE(Find<QLabel>(w, "STFileIndex")->text(), QString("Index: 3"));
    h.choose("Sounds/Music");
    QVERIFY(h.rows().isEmpty());

    // A picture of three blocks, and a file that the folder does not take.
    const std::string picture(300, 'p');
    WriteWholeFile(h.dir.file("pic.gif"), picture);
    WriteWholeFile(h.dir.file("notes.txt"), "text");
    h.choose("Pictures");
    Select(browser.fileView(), {h.pcFile("notes.txt"), h.pcFile("pic.gif")});
    Find<QComboBox>(w, "CBFileBlockSize")->setCurrentText("128");
    Click(w, "BLoadToPhone");
    QVERIFY(h.dialogs.shown.empty());
    QCOMPARE(ReadWholeFile(h.dir.file("store/pictures/01_pic.gif")), picture);
    QCOMPARE(h.panel(4), QString("Loading file: pic.gif"));
    // Without auto refresh the list stays cached, also when the node is chosen again.
    h.choose("Sounds/Music");
    h.choose("Pictures");
    QCOMPARE(h.rows(), (QStringList{"logo 6 0", "BOOK 700 3"}));
    Click(w, "BPhoneUpdate");
    QCOMPARE(h.rows(), (QStringList{"logo 6 0", "pic 300 1", "BOOK 700 3"}));

    // Message 36 answered No deletes nothing; Yes deletes, and auto refresh lists again.
    Find<QAction>(w, "MIAutoRefresh")->setChecked(true);
    Select(h.tab().phoneFileView(), {h.row(0), h.row(1)});
    h.dialogs.answers = {false};
    Click(w, "BDeletePhone");
    QCOMPARE(h.dialogs.numbers(), std::vector<int>{msg::DeleteFiles});
    QVERIFY(h.stored("logo.gif") && h.stored("01_pic.gif"));
    QCOMPARE(h.rows().size(), 3);
    h.dialogs.answers = {true};
    Find<QAction>(w, "MIPhoneDelete")->trigger();
    QCOMPARE(h.dialogs.numbers(), (std::vector<int>{msg::DeleteFiles, msg::DeleteFiles}));
    QCOMPARE(h.rows(), QStringList{"BOOK 700 3"});
    QVERIFY(!h.stored("logo.gif") && !h.stored("01_pic.gif"));
    QVERIFY(Find<QGroupBox>(w, "GBPhoneFiles")->isEnabled());

    Find<QAction>(w, "MIDisconnect")->trigger();
    QCOMPARE((QStringList{h.panel(0), h.panel(1), h.panel(4)}),
             (QStringList{"Disconnected", "", ""}));
    // The lists outlive the connection; nothing is asked while disconnected.
    h.choose("Sounds/Music");
    QCOMPARE(h.rows(), QStringList{"BOOK 700 3"});
    w.tabControl()->setCurrentIndex(ui::TabSounds);
    QCOMPARE(browser.fileView()->selectionMode(), QAbstractItemView::SingleSelection);
    w.tabControl()->setCurrentIndex(ui::TabPhoneFiles);
    QVERIFY(h.tab().session().link().PhoneConnected());
    w.close();
    QVERIFY(!h.tab().session().link().PhoneConnected());
}

void PhoneTabTest::missingPortAndSilentPhone() {
    PhoneUi h({"silent:AT+IMGR?"});
    ui::TMainF& w = *h.window;
    Find<QAction>(w, "COM51")->trigger();
    Find<QAction>(w, "ms1000")->trigger();
    w.tabControl()->setCurrentIndex(ui::TabPhoneFiles);
    QCOMPARE(h.dialogs.numbers(), std::vector<int>{msg::PhoneNotConnected});
    QCOMPARE(h.panel(0), QString("Disconnected"));
    h.choose("Pictures"); // nothing happens while disconnected
    QCOMPARE(h.dialogs.shown.size(), 1u);

    Find<QAction>(w, "COM41")->trigger();
    Find<QAction>(w, "MIConnect")->trigger();
    QCOMPARE(h.panel(0), QString("Model: SGH-E720"));
    const auto start = std::chrono::steady_clock::now();
    Click(w, "BPhoneUpdate");
    const auto took = std::chrono::steady_clock::now() - start;
    QCOMPARE(h.dialogs.numbers(), (std::vector<int>{msg::PhoneNotConnected, msg::FileListError}));
    QVERIFY(took >= std::chrono::milliseconds(1000) && took < std::chrono::milliseconds(2500));
    QVERIFY(h.rows().isEmpty());
    QVERIFY(Find<QGroupBox>(w, "GBPhoneFiles")->isEnabled());
    QCOMPARE(ReadWholeFile(h.dir.file("fw.log")), std::string()); // silence is no error reply
}

QTEST_MAIN(PhoneTabTest)
#include "PhoneTabTest.moc"
