#pragma once

#include "strings/StringsSession.h"

#include <QObject>
#include <cstdint>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QMenu;
class QProgressBar;
class QPushButton;

namespace tovallo::ui {

class Grid;
class LabelledEdit;
class TMainF;

// The "Strings" tab: the text search with its result, the string replace table, the firmware's
// string tables by language; and the free-memory commands of the Resources menu. The widgets
// show the session's fields, lists and rows; every button hands over to the session.
class StringsTab : public QObject {
    Q_OBJECT
  public:
    explicit StringsTab(TMainF& window);

    StringsSession& session() { return session_; }
    Grid& replaceGrid() const { return *SGStrReplaceTbl_; }
    Grid& stringTableGrid() const { return *SGStringTbl_; }
    // The languages the resource survey read replace the lists, as "Find Table" leaves them.
    void showSurveyedLanguages(LanguageEntries entries);

  public slots:
    void BStringFindClick();
    void BStringStopClick();
    void CWinUtfClick(bool checked);
    void CBFromBeginClick(bool checked);
    void CResUtfClick(bool checked);
    void BAddStrClick();
    void BStrSelectClick();
    void BStrUnselectClick();
    void BStrDelClick();
    void BStrDelAllClick();
    void BStrModifyClick();
    void BStringTblSearchClick();
    void BStringTblStopClick();
    void CStrLangChange(int item);
    void CStrLang2Change(int item);
    void BReadTblClick();
    void SGStringTblClick(int row);
    void BEditStrClick();
    void BDelLangClick();
    void MIFindFreeSpaceClick();
    void MIDisplayMemoryClick();

  private:
    QGroupBox* groupBox(const char* name, const char* caption, int x, int y, int w, int h);
    void buildSearch();
    void buildResult();
    void buildReplaceTable();
    void buildStringTable();
    // The typed texts and boxes into the session's search fields.
    // False, after a message, when a typed text has no Windows-1251 form.
    bool takeTypedFields();
    // The session's search fields into the edits and boxes.
    void showFields();
    // Brings the replace grid in line with the table: rows gone from the table leave the grid
    // (their check boxes with them), new rows are appended; the other rows keep their checks.
    void syncReplaceGrid();
    std::vector<bool> checkedRows() const;
    void showLanguages();
    void showStringTable();
    void resetAll();

    TMainF& window_;
    StringsSession session_;
    // The found address of each filled replace grid row: the identity of its table row.
    std::vector<uint32_t> gridRows_;

    LabelledEdit* LEStrSearch_ = nullptr;
    LabelledEdit* LEStrReplace_ = nullptr;
    QCheckBox* CWinUtf_ = nullptr;
    QCheckBox* CBFromBegin_ = nullptr;
    QCheckBox* CBeos_ = nullptr;
    QPushButton* BStringFind_ = nullptr;
    QPushButton* BStringStop_ = nullptr;
    QProgressBar* Ibar_ = nullptr;
    LabelledEdit* LEStrThisStr_ = nullptr;
    LabelledEdit* LEStrStrSize_ = nullptr;
    LabelledEdit* LEStrStartAddr_ = nullptr;
    LabelledEdit* LEStrStopAddr_ = nullptr;
    QCheckBox* CResUtf_ = nullptr;
    Grid* SGStrReplaceTbl_ = nullptr;
    QMenu* MStr_ = nullptr;
    QPushButton* BStringTblSearch_ = nullptr;
    QPushButton* BStringTblStop_ = nullptr;
    QComboBox* CStrLang_ = nullptr;
    QComboBox* CStrLang2_ = nullptr;
    QPushButton* BReadTbl_ = nullptr;
    Grid* SGStringTbl_ = nullptr;
    LabelledEdit* LEStrMain_ = nullptr;
    QCheckBox* CBTblUTF_ = nullptr;
    QPushButton* BEditStr_ = nullptr;
    QProgressBar* PStrFind_ = nullptr;
};

} // namespace tovallo::ui
