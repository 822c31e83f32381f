#pragma once

#include "srecord/PatchTable.h"

#include <QObject>

class QCheckBox;
class QGroupBox;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tovallo::ui {

class Grid;
class LabelledEdit;
class TMainF;

// The "s3 Converter" tab: BIN <-> S3 conversions and the patch table with patch and restore
// files.
class S3Tab : public QObject {
    Q_OBJECT
  public:
    explicit S3Tab(TMainF& window);

    // Entering the tab: CBDont checked, the patch table rebuilt from the pending changes.
    void enter();
    // Rebuilds the patch table from the pending changes (check marks are lost).
    void refillPatchTable();
    Grid& patchGrid() const { return *TableS3_; }
    const PatchTable& patchTable() const { return table_; }

  public slots:
    void BOpenS3Click();
    void BSaveBinClick();
    void BOpenBinClick();
    void BSaveS3Click();
    void RBBinClick();
    void Bs3ExcludeClick();
    void Bs3SelAllClick();
    void BCreateS3Click();
    void BCreateRestClick();
    void TableS3DblClick(int row);

  private:
    QGroupBox* groupBox(const char* name, const char* caption, int x, int y, int w, int h);
    void buildS3ToBin();
    void buildBinToS3();
    void buildPatch();
    void takeChecks();

    TMainF& window_;
    PatchTable table_;

    QGroupBox* GBs3toBin_ = nullptr;
    QGroupBox* GBBinToS3_ = nullptr;
    QGroupBox* GBs3Patch_ = nullptr;
    LabelledEdit* LEs3File_ = nullptr;
    QRadioButton* RBAll_ = nullptr;
    QCheckBox* CBDont_ = nullptr;
    QProgressBar* Ps3Bar_ = nullptr;
    QPushButton* BOpenS3_ = nullptr;
    QPushButton* BSaveBin_ = nullptr;
    LabelledEdit* LEBinFile_ = nullptr;
    LabelledEdit* LEBinStart_ = nullptr;
    LabelledEdit* LEBinStop_ = nullptr;
    QRadioButton* RBAllBin_ = nullptr;
    QRadioButton* RBPartBin_ = nullptr;
    QProgressBar* PBinBar_ = nullptr;
    QPushButton* BOpenBin_ = nullptr;
    QPushButton* BSaveS3_ = nullptr;
    Grid* TableS3_ = nullptr;
    QRadioButton* RBone_ = nullptr;
    QRadioButton* RBdifferent_ = nullptr;
    QPushButton* BCreateS3_ = nullptr;
    QPushButton* BCreateRest_ = nullptr;
    QProgressBar* PatchBar_ = nullptr;
};

} // namespace tovallo::ui
