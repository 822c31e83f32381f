#pragma once

#include "images/FoundPictures.h"
#include "images/ImageTable.h"
#include "images/ImageType.h"
#include "images/Picture.h"
#include "images/ViewerNavigation.h"

#include <QObject>
#include <optional>

class QGroupBox;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tovallo::ui {

class Grid;
class LabelledEdit;
class Surface;
class TMainF;
class UpDown;

// The "Images" tab: the firmware dump and phone display with their navigation, the search for
// pictures and for the firmware's picture table, and the user's image table.
class ImagesTab : public QObject {
    Q_OBJECT
  public:
    explicit ImagesTab(TMainF& window);

    // Draw the picture at the current address (each also fills the picture fields).
    void DrawRaw16Dump();
    void DrawWbmp();
    void DrawImage09();
    void RedrawCurrent();
    void ShowPictureFields();
    // Every tab change empties EHex and EIndex and clears the phone display.
    void clearViewerFields();

    Surface& phoneDisplay() const { return *PhoneIm_; }
    Surface& dumpSurface() const { return *Image_; }
    // The phone display's picture part, Width x Height.
    Picture shownPicture() const;
    ImageTable& imageTable() { return table_; }
    const FoundPictureList& foundPictures() const { return found_; }
    Grid& imagesGrid() const { return *Images_; }
    Grid& images09Grid() const { return *Images09_; }
    TypeChoice typeChoice() const;
    // The image table row the user selected (or -1).
    int selectedTableRow() const;
    void refreshImageTable();
    // The picture table the resource survey met: its address, and its rows when they were read.
    void showSurveyedPictures(uint32_t table, std::optional<FoundPictureList> rows);

  public slots:
    void BImageNextClick();
    void BImagePrevClick();
    void BImageUpClick();
    void BImageDownClick();
    void BImageLeftClick();
    void BImageRightClick();
    void BImageFindClick();
    void BImageTblFindClick();
    void BImageTblStopClick();
    void BImgReadTblClick();
    void BImgClearTblClick();
    void Images09Select(int row);
    void BImageAddClick();
    void BImageDelClick();
    void BImageSaveTabClick();
    void BImageOpenTabClick();
    void ImagesClick(int row);
    void ImagesDblClick(int row);
    void EImagesDone();
    void MIImageDeleteClick();
    void MIImageSortNameClick();
    void MIImageSortAddressClick();
    void MIImageSortTypeClick();
    void MIImageImportSearchedClick();
    void MIImageImportExportClick();
    void MIImageChangeAddrClick();
    // The context menus of the found list (for the row under the mouse) and of the phone
    // display (for the picture on view): export the picture, or open the replacement dialog on
    // it. Both add the picture's image table row when the table has none.
    void exportFoundPicture(int row);
    void replaceFoundPicture(int row);
    void exportShownPicture();
    void replaceShownPicture();

  private:
    QGroupBox* groupBox(const char* name, const char* caption, int x, int y, int w, int h);
    void buildViewer();
    void buildDiscovery();
    void buildImageTable();
    void drawOnPhone(const Picture& picture);
    void buildContextMenus();
    void moveDump(DumpMove move);
    void setWidth(int width);
    void setHeight(int height);
    void sizeEditEntered(QLineEdit* edit, PictureSide side);
    void addressEntered(AddressBase base);
    void typeChoiceChanged();
    void phoneMouseMove(int x, int y);
    void refreshFoundList();
    void showTablePicture(int row);
    void showFoundPicture(int row);
    // The image table row of the picture on view, added under `name` when missing; selected.
    int tableRowOfShownPicture(const std::string& name);
    void exportShown(int tableRow);
    void openReplacement(int tableRow);

    TMainF& window_;
    FoundPictureList found_;
    ImageTable table_;
    int editedRow_ = -1;
    // The phone display shows a picture (not an error text or a cleared surface).
    bool pictureOnView_ = false;

    Surface* Image_ = nullptr;
    Surface* PhoneIm_ = nullptr;
    QLineEdit* Ewidth_ = nullptr;
    QLineEdit* Eheight_ = nullptr;
    UpDown* UDWidth_ = nullptr;
    UpDown* UDHeight_ = nullptr;
    QLineEdit* EIndex_ = nullptr;
    QLineEdit* EHex_ = nullptr;
    QLineEdit* Emove_ = nullptr;
    QLineEdit* Ecolor_ = nullptr;
    LabelledEdit* LEImage09Addr_ = nullptr;
    LabelledEdit* LETableAddr_ = nullptr;
    QPushButton* BImageTblFind_ = nullptr;
    QPushButton* BImageTblStop_ = nullptr;
    QRadioButton* RBAuto_ = nullptr;
    QRadioButton* RB09_ = nullptr;
    QRadioButton* RBRaw_ = nullptr;
    QRadioButton* RBWbmp_ = nullptr;
    Grid* Images09_ = nullptr;
    QProgressBar* Bar09_ = nullptr;
    Grid* Images_ = nullptr;
    LabelledEdit* LEImageTblName_ = nullptr;
    QLineEdit* EImages_ = nullptr;
    QMenu* FindImage_ = nullptr;
    QMenu* FoundImageMenu_ = nullptr;
    QMenu* PhoneImageMenu_ = nullptr;
    int contextRow_ = -1;
    QGroupBox* GBTables_ = nullptr;
    QGroupBox* GBFImages_ = nullptr;
};

} // namespace tovallo::ui
