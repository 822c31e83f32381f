#pragma once

#include "images/CurrentPicture.h"
#include "workspace/Dialogs.h"
#include "workspace/Settings.h"
#include "workspace/Workspace.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QTabBar;

namespace tovallo {
struct SaveSummary;
struct SurveyResult;
} // namespace tovallo

namespace tovallo::ui {

class AboutBox;
class AnimationTab;
class ImagesTab;
class JavaTab;
class PhoneTab;
class QtDialogs;
class S3Tab;
class SoundsTab;
class StringsTab;
class TChAddr;
class TFExcludeAddr;
class TFReImage;
class TPatchView;

// Tab indexes of the main window's tab control.
enum TabIndex {
    TabImages = 0,
    TabStrings = 1,
    TabSounds = 2,
    TabJava = 3,
    TabS3 = 4,
    TabAnimation = 5,
    TabPhoneFiles = 6,
};

// The main window: menus, the tab control with the group boxes of each tab, the status bar, the
// shared state of the whole run (the workspace) and the dialogs created once at start-up.
class TMainF : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr const char* Caption = "Tovallo v1.5.19";

    // `configDir` holds the settings and language files.
    explicit TMainF(std::string configDir = DefaultConfigDir(), QWidget* parent = nullptr);
    ~TMainF() override;

    Workspace& workspace() { return ws_; }
    CurrentPicture& current() { return current_; }
    // Message boxes and file choices; tests put a scripted fake here.
    Dialogs& dialogs();
    void setDialogs(Dialogs* dialogs) { injected_ = dialogs; }

    const std::string& configDir() const { return configDir_; }
    std::string settingsPath() const;

    // The tab control: the tab bar and the area its group boxes live in.
    QTabBar* tabControl() const { return tabBar_; }
    QWidget* tabArea() const { return tabArea_; }
    // Registers a group box shown by a tab (a box may belong to several tabs).
    void addTabGroup(int tab, QGroupBox* box);
    // What a tab does after its group boxes are shown.
    void setTabEnter(int tab, std::function<void()> onEnter);
    int activeTab() const;

    QProgressBar* statusProgress() const { return PBStatus_; }
    QLabel* statusPanel(int index) const { return panels_.at(static_cast<size_t>(index)); }
    // How many changes are pending, at the right of the status bar.
    QLabel* pendingPanel() const { return pendingPanel_; }

    // A long operation or a handler runs: others are refused until it ends (handlers share the
    // firmware's file position and the search state). While it runs, the tab bar and the menu
    // items are disabled and tab changes are refused, so nothing rebuilds the models it walks
    // while its progress lets the window repaint; the Stop buttons on the tab keep working.
    class Busy {
      public:
        explicit Busy(TMainF& window);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;
        explicit operator bool() const { return acquired_; }

      private:
        TMainF& window_;
        bool acquired_;
    };
    bool busy() const { return busy_; }

    // Phone link choices (the phone file manager uses them).
    int PhonePort = 4;
    int PhoneBaud = 115200;
    int PhoneTimeOut = 1500;
    uint32_t SavedSearchPos = 0;

    ImagesTab& imagesTab() const { return *imagesTab_; }
    StringsTab& stringsTab() const { return *stringsTab_; }
    SoundsTab& soundsTab() const { return *soundsTab_; }
    JavaTab& javaTab() const { return *javaTab_; }
    S3Tab& s3Tab() const { return *s3Tab_; }
    AnimationTab& animationTab() const { return *animationTab_; }
    PhoneTab& phoneTab() const { return *phoneTab_; }
    TFReImage& reImageDialog() const { return *reImage_; }
    TChAddr& changeAddrDialog() const { return *chAddr_; }
    TPatchView& patchView() const { return *patchView_; }
    TFExcludeAddr& excludeDialog() const { return *excludeAddr_; }
    AboutBox& aboutBox() const { return *about_; }

  public slots:
    void OpenFirmware();
    void MISaveAllchangesClick();
    void MIPendingChangesClick();
    void MIFindAllResourcesClick();
    void TabControlChange(int index);
    void showAbout();

  signals:
    // A firmware was opened: grids and lists of the previous one are emptied.
    void firmwareOpened();
    // A phone model was chosen (the string table of the previous model is forgotten).
    void modelSelected();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormCreate();
    void FormShow();
    void buildMenus();
    void buildTabControl();
    void buildStatusBar();
    QActionGroup* radioGroup(QMenu* menu, const std::vector<std::pair<QString, QString>>& items,
                             const QString& checked, const std::function<void(int)>& onPick);
    std::string checkedItemName(const char* parentMenu) const;
    void applyLanguage(const std::string& path);
    void lockForOperation(bool locked);
    // Before another firmware replaces the open one: asks message 11 (Yes/No/Cancel) when
    // changes are pending; Yes saves them. False when cancelled or the save did not complete.
    bool settlePendingChanges();
    void showPendingCount();
    void showSaveReport(const SaveSummary& saved);
    // Fills the tabs with the tables the survey read, as their own reads would.
    void showSurvey(SurveyResult& result);

    std::string configDir_;
    Workspace ws_;
    CurrentPicture current_;
    std::unique_ptr<QtDialogs> qtDialogs_;
    Dialogs* injected_ = nullptr;
    std::unique_ptr<SettingsStore> settings_;
    bool shown_ = false;
    bool busy_ = false;
    std::vector<QAction*> lockedActions_;
    int shownTab_ = TabImages;

    QTabBar* tabBar_ = nullptr;
    QWidget* tabArea_ = nullptr;
    std::vector<std::vector<QGroupBox*>> tabGroups_;
    std::vector<std::function<void()>> tabEnter_;
    std::array<QLabel*, 5> panels_{};
    QProgressBar* PBStatus_ = nullptr;
    QLabel* pendingPanel_ = nullptr;
    QMenu* fileManagerMenu_ = nullptr;

    ImagesTab* imagesTab_ = nullptr;
    StringsTab* stringsTab_ = nullptr;
    SoundsTab* soundsTab_ = nullptr;
    JavaTab* javaTab_ = nullptr;
    S3Tab* s3Tab_ = nullptr;
    AnimationTab* animationTab_ = nullptr;
    PhoneTab* phoneTab_ = nullptr;
    TFReImage* reImage_ = nullptr;
    AboutBox* about_ = nullptr;
    TChAddr* chAddr_ = nullptr;
    TPatchView* patchView_ = nullptr;
    TFExcludeAddr* excludeAddr_ = nullptr;
};

} // namespace tovallo::ui
