#include "ui/AnimationTab.h"

#include "ui/MainWindow.h"
#include "ui/SmallWidgets.h"
#include "ui/Surface.h"
#include "ui/TextCodec.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <filesystem>

namespace tovallo::ui {

namespace {

constexpr int PlayInterval = 1000; // ms between frames while playing
constexpr int MaxFieldText = 4;
// How long the status bar names the files a save wrote.
constexpr int ReportMilliseconds = 15000;

} // namespace

AnimationTab::AnimationTab(TMainF& window) : QObject(&window), window_(window) {
    build();
    TAnim_ = new QTimer(this);
    TAnim_->setObjectName("TAnim");
    TAnim_->setInterval(PlayInterval);
    connect(TAnim_, &QTimer::timeout, this, &AnimationTab::TAnimTimer);
    window_.setTabEnter(TabAnimation, [this] { tabEntered(); });
}

void AnimationTab::build() {
    auto* box = new QGroupBox("Animation Editor", window_.tabArea());
    box->setObjectName("GBAnimation");
    box->setGeometry(2, 0, 788, 488);
    window_.addTabGroup(TabAnimation, box);
    auto* outer = new QHBoxLayout(box);
    outer->setContentsMargins(8, 6, 8, 8);
    outer->setSpacing(16);
    // Left: the frame with its counter and the playback buttons; right: the frame list and save.
    auto* player = new QGridLayout;
    auto* editor = new QGridLayout;
    for (QGridLayout* grid : {player, editor})
        grid->setSpacing(4);
    outer->addLayout(player);
    outer->addLayout(editor);
    outer->addStretch(1);

    using Handler = void (AnimationTab::*)();
    auto button = [&](const char* name, const char* caption, Handler handler) {
        QPushButton* b = Named<QPushButton>(box, name, caption);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };

    AniImage_ = new Surface("AniImage", 322, 242, box);
    AniImage_->setCursor(Qt::ArrowCursor);
    player->addWidget(AniImage_, 0, 0, 1, 5);
    SFrames_ = new QLabel(box);
    SFrames_->setObjectName("SFrames");
    player->addWidget(SFrames_, 1, 0, 1, 5);
    BAniPlay_ = button("BAniPlay", "Play", &AnimationTab::BAniPlayClick);
    BPrevAni_ = button("BPrevAni", "Prev", &AnimationTab::BPrevAniClick);
    BNextAni_ = button("BNextAni", "Next", &AnimationTab::BNextAniClick);
    BStartAni_ = button("BStartAni", "Start", &AnimationTab::BStartAniClick);
    BStopAni_ = button("BStopAni", "End", &AnimationTab::BStopAniClick);
    int column = 0;
    for (QPushButton* b : {BAniPlay_, BPrevAni_, BNextAni_, BStartAni_, BStopAni_}) {
        b->setFixedWidth(62);
        player->addWidget(b, 2, column++);
    }
    player->setRowStretch(3, 1);

    BAddAni_ = button("BAddAni", "Add Frame", &AnimationTab::BAddAniClick);
    editor->addWidget(BAddAni_, 0, 0, 1, 2);
    editor->addWidget(button("BDelAni", "Delete Frame", &AnimationTab::BDelAniClick), 1, 0, 1, 2);
    LEAniMoveTo_ = new LabelledEdit("LEAniMoveTo", "Move To:", box, true);
    LEAniMoveTo_->edit()->setMaxLength(MaxFieldText);
    LEAniMoveTo_->edit()->setFixedWidth(48);
    editor->addWidget(LEAniMoveTo_, 2, 0);
    editor->addWidget(button("BExchgAni", "Exchange Frames", &AnimationTab::BExchgAniClick), 2, 1);
    editor->setRowMinimumHeight(3, 12);

    auto sizeRow = [&](int row, const char* editName, const char* label, const char* udName,
                       int maximum, LabelledEdit*& edit, UpDown*& upDown) {
        edit = new LabelledEdit(editName, label, box, true);
        edit->edit()->setReadOnly(true);
        edit->edit()->setMaxLength(MaxFieldText);
        edit->edit()->setFixedWidth(48);
        edit->setText("1");
        edit->setToolTip(QString("1 to %1").arg(maximum));
        editor->addWidget(edit, row, 0);
        upDown = new UpDown(udName, 1, maximum, 1, box);
        editor->addWidget(upDown, row, 1, Qt::AlignLeft);
    };
    sizeRow(4, "LEAniWidth", "Image Width: ", "UDAniWidth", AnimationFrameWidth, LEAniWidth_,
            UDAniWidth_);
    sizeRow(5, "LEAniHeight", "Image Height:", "UDAniHeight", AnimationFrameHeight, LEAniHeight_,
            UDAniHeight_);
    // The up-downs change only the fields.
    connect(UDAniWidth_, &UpDown::changed, this, [this](int w) {
        frames_.setSize(w, frames_.height());
        showSize();
    });
    connect(UDAniHeight_, &UpDown::changed, this, [this](int h) {
        frames_.setSize(frames_.width(), h);
        showSize();
    });

    CAutoAni_ = Named<QCheckBox>(box, "CAutoAni", "Auto Size of Image");
    CAutoAni_->setChecked(frames_.AutoSize);
    editor->addWidget(CAutoAni_, 6, 0, 1, 2);
    CComprAni_ = Named<QCheckBox>(box, "CComprAni", "Enable compression");
    CComprAni_->setChecked(frames_.Compression);
    editor->addWidget(CComprAni_, 7, 0, 1, 2);
    editor->addWidget(button("BSaveAni", "Save Animation", &AnimationTab::BSaveAniClick), 8, 0, 1,
                      2);
    editor->setRowStretch(9, 1);
    connect(CAutoAni_, &QCheckBox::toggled, this, [this](bool on) { frames_.AutoSize = on; });
    connect(CComprAni_, &QCheckBox::toggled, this, [this](bool on) { frames_.Compression = on; });
    showCurrentFrame();
}

void AnimationTab::tabEntered() {
    TAnim_->setInterval(PlayInterval);
    frames_.tabEntered();
    SFrames_->setText(FromWin(frames_.framesText()));
}

void AnimationTab::showCurrentFrame() {
    if (const Picture* frame = frames_.currentFrame()) {
        AniImage_->clear();
        AniImage_->drawPicture(*frame);
    }
    SFrames_->setText(FromWin(frames_.framesText()));
}

void AnimationTab::showSize() {
    LEAniWidth_->setText(QString::number(frames_.width()));
    LEAniHeight_->setText(QString::number(frames_.height()));
    UDAniWidth_->setPosition(frames_.width());
    UDAniHeight_->setPosition(frames_.height());
}

void AnimationTab::showAddState() {
    const bool room = frames_.canAddFrame();
    BAddAni_->setEnabled(room);
    BAddAni_->setToolTip(
        room ? QString()
             : QString("An animation holds at most %1 frames: delete one to add another.")
                   .arg(MaxAnimationFrames));
}

void AnimationTab::BAddAniClick() {
    TMainF::Busy busy(window_);
    if (!busy || !frames_.canAddFrame())
        return;
    const auto path = window_.dialogs().openFile(OpenAniFilter);
    if (!path)
        return;
    std::string error;
    if (!AddFrameFiles(frames_, {*path}, error)) {
        window_.dialogs().errorText(error);
        return;
    }
    showSize();
    showCurrentFrame();
    showAddState();
}

void AnimationTab::BDelAniClick() {
    frames_.deleteFrame();
    if (frames_.count() == 0)
        AniImage_->clear();
    showCurrentFrame();
    showAddState();
}

void AnimationTab::BExchgAniClick() {
    const auto typed = ToWin(LEAniMoveTo_->text(), window_.dialogs());
    if (!typed)
        return;
    std::string text = *typed;
    frames_.moveCurrentTo(text);
    LEAniMoveTo_->setText(FromWin(text));
    // The frame now at the current place is drawn; "Frame: n/m" stays as it was.
    if (const Picture* frame = text.empty() ? nullptr : frames_.currentFrame()) {
        AniImage_->clear();
        AniImage_->drawPicture(*frame);
    }
}

void AnimationTab::BNextAniClick() {
    frames_.next();
    showCurrentFrame();
}

void AnimationTab::BPrevAniClick() {
    frames_.prev();
    showCurrentFrame();
}

void AnimationTab::BStartAniClick() {
    frames_.start();
    showCurrentFrame();
}

void AnimationTab::BStopAniClick() {
    frames_.end();
    showCurrentFrame();
}

void AnimationTab::BAniPlayClick() {
    const bool play = !TAnim_->isActive();
    if (play)
        TAnim_->start();
    else
        TAnim_->stop();
    BAniPlay_->setText(play ? "Stop" : "Play");
    for (QPushButton* b : {BPrevAni_, BNextAni_, BStartAni_, BStopAni_})
        b->setEnabled(!play);
}

void AnimationTab::TAnimTimer() {
    frames_.tick();
    showCurrentFrame();
}

void AnimationTab::BSaveAniClick() {
    TMainF::Busy busy(window_);
    if (!busy || frames_.count() == 0)
        return;
    const auto chosen = window_.dialogs().saveFile("BMP file|*.bmp");
    if (!chosen)
        return;
    const std::vector<std::string> written =
        SaveAnimation(window_.workspace(), frames_, *chosen, window_.dialogs());
    if (written.empty())
        return;
    const auto name = [](const std::string& path) {
        return QString::fromStdString(std::filesystem::path(path).filename().string());
    };
    const QString files = written.size() == 1
                              ? name(written.front())
                              : name(written.front()) + " to " + name(written.back());
    window_.statusBar()->showMessage("Saved " + files, ReportMilliseconds);
}

} // namespace tovallo::ui
