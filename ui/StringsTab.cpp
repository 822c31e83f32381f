#include "ui/StringsTab.h"

#include "ui/Grid.h"
#include "ui/GridTitles.h"
#include "ui/MainWindow.h"
#include "ui/SmallWidgets.h"
#include "ui/TextCodec.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

namespace tovallo::ui {

namespace {

QProgressBar* SmallBar(QWidget* parent, const char* name) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setTextVisible(false);
    bar->setFixedHeight(12);
    bar->setValue(0);
    return bar;
}

LabelledEdit* ReadOnlyEdit(const char* name, const char* label, QWidget* parent) {
    auto* edit = new LabelledEdit(name, label, parent);
    edit->edit()->setReadOnly(true);
    return edit;
}

} // namespace

StringsTab::StringsTab(TMainF& window) : QObject(&window), window_(window) {
    buildSearch();
    buildResult();
    buildReplaceTable();
    buildStringTable();
    session_.TableUtf8 = CBTblUTF_->isChecked();
    connect(&window_, &TMainF::firmwareOpened, this, [this] {
        session_.FirmwareOpened();
        resetAll();
    });
    connect(&window_, &TMainF::modelSelected, this, [this] {
        session_.ModelChanged();
        resetAll();
    });
}

QGroupBox* StringsTab::groupBox(const char* name, const char* caption, int x, int y, int w, int h) {
    auto* box = new QGroupBox(caption, window_.tabArea());
    box->setObjectName(name);
    box->setGeometry(x, y, w, h);
    window_.addTabGroup(TabStrings, box);
    return box;
}

void StringsTab::buildSearch() {
    QGroupBox* box = groupBox("GBStringSearch", "Search && Replace (Maximum string length = 64)", 2,
                              0, 386, 160);
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(6, 2, 6, 6);
    layout->setVerticalSpacing(3);
    LEStrSearch_ = new LabelledEdit("LEStrSearch", "String for Search:", box);
    LEStrReplace_ = new LabelledEdit("LEStrReplace", "String for Replace:", box);
    for (LabelledEdit* e : {LEStrSearch_, LEStrReplace_})
        e->edit()->setMaxLength(static_cast<int>(MaxReplacementLength));
    layout->addWidget(LEStrSearch_, 0, 0, 1, 2);
    layout->addWidget(LEStrReplace_, 1, 0, 1, 2);
    CWinUtf_ = Named<QCheckBox>(box, "CWinUtf", "UTF-8 string");
    CBFromBegin_ = Named<QCheckBox>(box, "CBFromBegin", "From begin");
    CBeos_ = Named<QCheckBox>(box, "CBeos", "Add End of String code (#0)");
    layout->addWidget(CWinUtf_, 2, 0);
    layout->addWidget(CBFromBegin_, 3, 0);
    layout->addWidget(CBeos_, 2, 1);
    BStringFind_ = Named<QPushButton>(box, "BStringFind", "Find String");
    BStringStop_ = Named<QPushButton>(box, "BStringStop", "Stop Search");
    BStringStop_->hide();
    layout->addWidget(BStringFind_, 3, 1);
    layout->addWidget(BStringStop_, 3, 1);
    Ibar_ = SmallBar(box, "Ibar");
    layout->addWidget(Ibar_, 4, 0, 1, 2);

    connect(BStringFind_, &QPushButton::clicked, this, &StringsTab::BStringFindClick);
    connect(BStringStop_, &QPushButton::clicked, this, &StringsTab::BStringStopClick);
    connect(CWinUtf_, &QCheckBox::clicked, this, &StringsTab::CWinUtfClick);
    connect(CBFromBegin_, &QCheckBox::clicked, this, &StringsTab::CBFromBeginClick);
}

void StringsTab::buildResult() {
    QGroupBox* box = groupBox("GBStringResult", "Search Result", 390, 0, 400, 160);
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(6, 2, 6, 6);
    layout->setVerticalSpacing(3);
    LEStrThisStr_ = ReadOnlyEdit("LEStrThisStr", "Searched:", box);
    LEStrStrSize_ = ReadOnlyEdit("LEStrStrSize", "String size:", box);
    LEStrStartAddr_ = ReadOnlyEdit("LEStrStartAddr", "Start Address: ", box);
    LEStrStopAddr_ = ReadOnlyEdit("LEStrStopAddr", "Stop Address: ", box);
    layout->addWidget(LEStrThisStr_, 0, 0, 1, 3);
    layout->addWidget(LEStrStrSize_, 1, 0);
    layout->addWidget(LEStrStartAddr_, 1, 1);
    layout->addWidget(LEStrStopAddr_, 1, 2);
    CResUtf_ = Named<QCheckBox>(box, "CResUtf", "UTF-8 Decoding");
    layout->addWidget(CResUtf_, 2, 0);
    QPushButton* add = Named<QPushButton>(box, "BAddStr", "Add to String Table");
    layout->addWidget(add, 2, 1, 1, 2);
    layout->setRowStretch(3, 1);
    connect(CResUtf_, &QCheckBox::clicked, this, &StringsTab::CResUtfClick);
    connect(add, &QPushButton::clicked, this, &StringsTab::BAddStrClick);
}

void StringsTab::buildReplaceTable() {
    QGroupBox* box = groupBox("GBStringTable", "String Replace Table", 2, 162, 470, 326);
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(4, 2, 4, 6);
    layout->setSpacing(3);
    SGStrReplaceTbl_ =
        new Grid("SGStrReplaceTbl", GridTitles(StrReplaceTitles, StrReplaceColumns), box);
    SGStrReplaceTbl_->setToolTip("Table of strings");
    const std::array<int, StrReplaceColumns> widths = {30, 92, 76, 76, 104, 44, 32};
    for (size_t c = 0; c < widths.size(); ++c)
        SGStrReplaceTbl_->setColumnWidth(static_cast<int>(c), widths[c]);
    SGStrReplaceTbl_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(SGStrReplaceTbl_, 0, 0, 1, 5);
    const std::array<std::tuple<const char*, const char*, void (StringsTab::*)()>, 5> buttons = {{
        {"BStrSelect", "Select All", &StringsTab::BStrSelectClick},
        {"BStrUnselect", "Unselect All", &StringsTab::BStrUnselectClick},
        {"BStrDel", "Delete Selected", &StringsTab::BStrDelClick},
        {"BStrDelAll", "Delete All", &StringsTab::BStrDelAllClick},
        {"BStrModify", "Modify File", &StringsTab::BStrModifyClick},
    }};
    for (size_t i = 0; i < buttons.size(); ++i) {
        auto [name, caption, handler] = buttons[i];
        QPushButton* b = Named<QPushButton>(box, name, caption);
        layout->addWidget(b, 1, static_cast<int>(i));
        connect(b, &QPushButton::clicked, this, handler);
    }

    MStr_ = new QMenu(SGStrReplaceTbl_);
    MStr_->setObjectName("MStr");
    const std::array<std::tuple<const char*, const char*, void (StringsTab::*)()>, 3> items = {{
        {"MIStrDeleteSelected", "Delete Selected", &StringsTab::BStrDelClick},
        {"MIStrDelete", "Delete All", &StringsTab::BStrDelAllClick},
        {"MIStrModify", "Modify File (Selected Strings)", &StringsTab::BStrModifyClick},
    }};
    for (auto [name, caption, handler] : items) {
        QAction* action = MStr_->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
    }
    SGStrReplaceTbl_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(SGStrReplaceTbl_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        MStr_->popup(SGStrReplaceTbl_->viewport()->mapToGlobal(at));
    });
}

void StringsTab::buildStringTable() {
    QGroupBox* box = groupBox("GBFWStrTbl", "Firmware String Table Search", 474, 162, 316, 326);
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(6, 2, 6, 6);
    layout->setVerticalSpacing(3);
    BStringTblSearch_ = Named<QPushButton>(box, "BStringTblSearch", "Find Table");
    BStringTblStop_ = Named<QPushButton>(box, "BStringTblStop", "Stop Search");
    BStringTblStop_->hide();
    layout->addWidget(BStringTblSearch_, 0, 0);
    layout->addWidget(BStringTblStop_, 0, 0);
    // Selecting a language reads its table; the button stays out of sight.
    BReadTbl_ = Named<QPushButton>(box, "BReadTbl", "Read Table");
    BReadTbl_->hide();
    layout->addWidget(BReadTbl_, 0, 1);
    auto language = [&](int row, const char* name, const char* label) {
        auto* caption = new QLabel(label, box);
        auto* combo = new QComboBox(box);
        combo->setObjectName(name);
        caption->setBuddy(combo);
        layout->addWidget(caption, row, 0);
        layout->addWidget(combo, row, 1);
        return combo;
    };
    CStrLang_ = language(1, "CStrLang", "Messages Lang:");
    CStrLang2_ = language(2, "CStrLang2", "Menu Languege:");
    SGStringTbl_ = new Grid("SGStringTbl", {QString(), QString()}, box);
    SGStringTbl_->setToolTip("Firmware String Table");
    SGStringTbl_->setColumnWidth(0, 80);
    SGStringTbl_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(SGStringTbl_, 3, 0, 1, 2);
    layout->setRowStretch(3, 1);
    LEStrMain_ = ReadOnlyEdit("LEStrMain", "String: ", box);
    layout->addWidget(LEStrMain_, 4, 0, 1, 2);
    CBTblUTF_ = Named<QCheckBox>(box, "CBTblUTF", "Decode UTF-8");
    CBTblUTF_->setChecked(true);
    layout->addWidget(CBTblUTF_, 5, 0);
    BEditStr_ = Named<QPushButton>(box, "BEditStr", "Edit Selected");
    QPushButton* deleteLanguage = Named<QPushButton>(box, "BDelLang", "Delete Language");
    layout->addWidget(BEditStr_, 5, 1);
    layout->addWidget(deleteLanguage, 6, 1);
    PStrFind_ = SmallBar(box, "PStrFind");
    layout->addWidget(PStrFind_, 7, 0, 1, 2);

    connect(BStringTblSearch_, &QPushButton::clicked, this, &StringsTab::BStringTblSearchClick);
    connect(BStringTblStop_, &QPushButton::clicked, this, &StringsTab::BStringTblStopClick);
    connect(CStrLang_, &QComboBox::currentIndexChanged, this, &StringsTab::CStrLangChange);
    connect(CStrLang2_, &QComboBox::currentIndexChanged, this, &StringsTab::CStrLang2Change);
    connect(BReadTbl_, &QPushButton::clicked, this, &StringsTab::BReadTblClick);
    connect(SGStringTbl_, &Grid::rowClicked, this, &StringsTab::SGStringTblClick);
    connect(SGStringTbl_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previous, int) {
                if (row != previous)
                    SGStringTblClick(row);
            });
    connect(CBTblUTF_, &QCheckBox::toggled, this,
            [this](bool checked) { session_.TableUtf8 = checked; });
    connect(BEditStr_, &QPushButton::clicked, this, &StringsTab::BEditStrClick);
    connect(deleteLanguage, &QPushButton::clicked, this, &StringsTab::BDelLangClick);
}

bool StringsTab::takeTypedFields() {
    const auto search = ToWin(LEStrSearch_->text(), window_.dialogs());
    const auto replace = search ? ToWin(LEStrReplace_->text(), window_.dialogs()) : std::nullopt;
    if (!replace)
        return false;
    StringSearchFields& f = session_.search;
    f.SearchText = *search;
    f.ReplaceText = *replace;
    f.FromBegin = CBFromBegin_->isChecked();
    f.EndOfString = CBeos_->isChecked();
    return true;
}

void StringsTab::showFields() {
    const StringSearchFields& f = session_.search;
    LEStrSearch_->setText(FromWin(f.SearchText));
    LEStrReplace_->setText(FromWin(f.ReplaceText));
    CWinUtf_->setChecked(f.Utf8);
    CBFromBegin_->setChecked(f.FromBegin);
    CBeos_->setChecked(f.EndOfString);
    CResUtf_->setChecked(f.ResultUtf8);
    LEStrThisStr_->setText(FromWin(f.Searched));
    LEStrStrSize_->setText(FromWin(f.StringSize));
    LEStrStartAddr_->setText(FromWin(f.StartAddr));
    LEStrStopAddr_->setText(FromWin(f.StopAddr));
}

void StringsTab::syncReplaceGrid() {
    const std::vector<StrTable>& rows = session_.replaceTable.rows();
    size_t kept = 0;
    for (size_t r = 0; r < gridRows_.size();) {
        if (kept < rows.size() && rows[kept].FoundAddr == gridRows_[r]) {
            ++kept;
            ++r;
        } else {
            SGStrReplaceTbl_->DeleteGridRow(static_cast<int>(r));
            gridRows_.erase(gridRows_.begin() + static_cast<ptrdiff_t>(r));
        }
    }
    for (; kept < rows.size(); ++kept) {
        const int row = SGStrReplaceTbl_->AddGridRow(true);
        const auto cells = StrReplaceCells(rows[kept]);
        for (size_t c = 1; c < cells.size(); ++c)
            SGStrReplaceTbl_->setText(row, static_cast<int>(c), FromWin(cells[c]));
        gridRows_.push_back(rows[kept].FoundAddr);
    }
}

std::vector<bool> StringsTab::checkedRows() const {
    std::vector<bool> checked;
    for (size_t r = 0; r < gridRows_.size(); ++r)
        checked.push_back(SGStrReplaceTbl_->rowChecked(static_cast<int>(r)));
    return checked;
}

void StringsTab::showLanguages() {
    const LanguageEntries& languages = session_.languages;
    const auto selected = session_.selectedLanguage();
    for (LanguageList list : {LanguageList::Messages, LanguageList::Menus}) {
        QComboBox* combo = list == LanguageList::Messages ? CStrLang_ : CStrLang2_;
        const QSignalBlocker quiet(combo);
        combo->clear();
        for (const std::string& item : languages.items(list))
            combo->addItem(FromWin(item));
        const bool here = selected && *selected < languages.entries.size() &&
                          languages.entries[*selected].List == list;
        combo->setCurrentIndex(here ? static_cast<int>(languages.itemOf(*selected)) : -1);
    }
}

void StringsTab::showStringTable() {
    // Thousands of rows: drawn once, when all are in.
    SGStringTbl_->setUpdatesEnabled(false);
    SGStringTbl_->ClearGrid();
    const std::vector<StringTableRow>& rows = session_.tableRows;
    SGStringTbl_->setRowCount(std::max<int>(1, static_cast<int>(rows.size())));
    for (size_t r = 0; r < rows.size(); ++r) {
        const auto cells = StringTableCells(rows[r]);
        SGStringTbl_->setText(static_cast<int>(r), 0, FromWin(cells[0]));
        SGStringTbl_->setText(static_cast<int>(r), 1, FromWin(cells[1]));
    }
    SGStringTbl_->setUpdatesEnabled(true);
}

void StringsTab::resetAll() {
    showLanguages();
    showStringTable();
    syncReplaceGrid();
    LEStrMain_->setText(QString());
}

} // namespace tovallo::ui
