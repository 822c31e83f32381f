#pragma once

#include "media/JavaTable.h"

#include <QObject>
#include <optional>

class QProgressBar;
class QPushButton;

namespace tovallo::ui {

class Grid;
class TMainF;

// The "Java Games" tab: the JAD and JAR files of the firmware's Java table, their export and
// replacement, and the JAD file written beside a JAR on disk.
class JavaTab : public QObject {
    Q_OBJECT
  public:
    explicit JavaTab(TMainF& window);

    // Shows `list` in place of the current one.
    void showJavaList(JavaList list);
    const JavaList& javaList() const { return list_; }
    Grid& javaGrid() const { return *SGJava_; }

  public slots:
    void BJavaFindClick();
    void BJavaStopClick();
    void BJavaReplaceClick();
    void BJavaExportClick();
    void BJavaCreateJadClick();

  private:
    void showRows();
    std::optional<size_t> selectedFile() const;

    TMainF& window_;
    JavaList list_;

    QPushButton* BJavaFind_ = nullptr;
    QPushButton* BJavaStop_ = nullptr;
    QPushButton* BJavaReplace_ = nullptr;
    QPushButton* BJavaExport_ = nullptr;
    QProgressBar* PBJava_ = nullptr;
    Grid* SGJava_ = nullptr;
};

} // namespace tovallo::ui
