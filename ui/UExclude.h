#pragma once

#include "srecord/ExcludeRegionsModel.h"

#include <QDialog>

class QComboBox;

namespace tovallo::ui {

class Grid;
class LabelledEdit;
class TMainF;

// "Exclude addresses": the regions a BIN to S3 conversion leaves out. Created once; the grid
// keeps its rows between showings and only "Ok" stores them.
class TFExcludeAddr : public QDialog {
    Q_OBJECT
  public:
    explicit TFExcludeAddr(TMainF& window);

    const ExcludeRegionsModel& model() const { return model_; }
    Grid& grid() const { return *SGExcludes_; }

  public slots:
    void Button2Click(); // Add region
    void Button3Click(); // Delete region
    void Button1Click(); // Ok
    void CBStandartChange(int index);
    void SGExcludesClick(int row);

  private:
    void refresh();

    TMainF& window_;
    ExcludeRegionsModel model_;
    Grid* SGExcludes_;
    LabelledEdit* LEStart_;
    LabelledEdit* LEStop_;
    QComboBox* CBStandart_;
};

} // namespace tovallo::ui
