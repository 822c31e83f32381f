// "Find All Resources" of the Resources menu: the survey runs on the status bar's progress bar
// and its results fill the tabs of the tables that were read.
#include "resources/survey/ResourceSurvey.h"
#include "ui/ImagesTab.h"
#include "ui/JavaTab.h"
#include "ui/MainWindow.h"
#include "ui/QtProgress.h"
#include "ui/SoundsTab.h"
#include "ui/StringsTab.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProgressBar>

namespace tovallo::ui {

namespace {

// While it lives, Escape anywhere in the program sets `stop`; a message box open meanwhile keeps
// its own Escape (the No of a question).
class EscapeStops : public QObject {
  public:
    explicit EscapeStops(bool& stop) : stop_(stop) { qApp->installEventFilter(this); }
    ~EscapeStops() override { qApp->removeEventFilter(this); }
    EscapeStops(const EscapeStops&) = delete;
    EscapeStops& operator=(const EscapeStops&) = delete;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || QApplication::activeModalWidget() ||
            static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
            return false;
        stop_ = true;
        return true;
    }

  private:
    bool& stop_;
};

} // namespace

void TMainF::MIFindAllResourcesClick() {
    Busy busy(*this);
    if (!busy || !ws_.FwIsOpen())
        return;
    SurveyResult result;
    PBStatus_->setValue(0);
    PBStatus_->show();
    {
        EscapeStops escape(ws_.SearchStop);
        ws_.SearchStop = false;
        QtProgress bar(PBStatus_);
        result = FindAllResources(ws_, dialogs(), bar, stringsTab_->session().freeRegions);
    }
    PBStatus_->hide();
    showSurvey(result);
}

void TMainF::showSurvey(SurveyResult& result) {
    if (result.languages)
        stringsTab_->showSurveyedLanguages(std::move(*result.languages));
    if (result.pictureTable)
        imagesTab_->showSurveyedPictures(*result.pictureTable, std::move(result.pictures));
    if (const SurveyedTable* sounds = result.find(SurveyKind::Sounds); sounds && sounds->Read) {
        // A table that could not be read leaves the list as it was, its address in the field.
        if (result.sounds)
            soundsTab_->showSoundList(std::move(*result.sounds), sounds->Table);
        else
            soundsTab_->showSoundList(soundsTab_->soundList(), sounds->Table);
    }
    if (result.java)
        javaTab_->showJavaList(std::move(*result.java));
}

} // namespace tovallo::ui
