#pragma once

#include "images/AnimationFrames.h"

#include <QObject>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace tovallo::ui {

class LabelledEdit;
class Surface;
class TMainF;
class UpDown;

// "BMP file" whatever the letter case of the extension: file dialogs on Linux match patterns
// case-sensitively.
inline constexpr char OpenAniFilter[] = "BMP file|*.[bB][mM][pP]";

// The "Animation editor" tab: frames loaded from BMP files, stepped through, reordered, played
// with the TAnim timer (which goes on while other tabs are shown) and saved as a numbered series
// of BMP files cut to the size fields.
class AnimationTab : public QObject {
    Q_OBJECT
  public:
    explicit AnimationTab(TMainF& window);

    const AnimationFrames& animation() const { return frames_; }
    Surface& frameImage() const { return *AniImage_; }
    QTimer& timer() const { return *TAnim_; }

  public slots:
    void BAddAniClick();
    void BDelAniClick();
    void BExchgAniClick();
    void BNextAniClick();
    void BPrevAniClick();
    void BStartAniClick();
    void BStopAniClick();
    void BAniPlayClick();
    void TAnimTimer();
    void BSaveAniClick();

  private:
    void build();
    // Draws the current frame (the display stays as it is while there is none) and "Frame: n/m".
    void showCurrentFrame();
    void showSize();
    // "Add Frame" is refused at the frame limit, with a hint saying why.
    void showAddState();
    void tabEntered();

    TMainF& window_;
    AnimationFrames frames_;

    Surface* AniImage_ = nullptr;
    QLabel* SFrames_ = nullptr;
    QPushButton* BAddAni_ = nullptr;
    LabelledEdit* LEAniMoveTo_ = nullptr;
    QCheckBox* CComprAni_ = nullptr;
    QCheckBox* CAutoAni_ = nullptr;
    QPushButton* BAniPlay_ = nullptr;
    QPushButton* BPrevAni_ = nullptr;
    QPushButton* BNextAni_ = nullptr;
    QPushButton* BStartAni_ = nullptr;
    QPushButton* BStopAni_ = nullptr;
    LabelledEdit* LEAniWidth_ = nullptr;
    LabelledEdit* LEAniHeight_ = nullptr;
    UpDown* UDAniWidth_ = nullptr;
    UpDown* UDAniHeight_ = nullptr;
    QTimer* TAnim_ = nullptr;
};

} // namespace tovallo::ui
