#include "editor/FramePlayer.h"

#include "editor/FieldLook.h"
#include "editor/PngFileSaving.h"
#include "platform/ErrorBoundary.h"
#include "platform/UserDialogs.h"

#include <QBuffer>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QTimer>

#include <algorithm>

namespace quarnel {
namespace {

constexpr int kBorder = 2;

QImage ToImage(const RgbaImage& rgba)
{
    return QImage(rgba.rgba.data(), rgba.width, rgba.height, rgba.width * 4, QImage::Format_RGBA8888).copy();
}

} // namespace

FramePlayer::FramePlayer(QWidget* parent, const QString& imageName)
    : QFrame(parent), image_(new QLabel(this)), menu_(new QMenu(this)), timer_(new QTimer(this))
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kBorder);
    SetBackground(this, kPanelBlue);
    image_->setObjectName(imageName);
    image_->setAlignment(Qt::AlignCenter);
    image_->setWordWrap(true);
    image_->setContextMenuPolicy(Qt::CustomContextMenu);
    QAction* save = menu_->addAction("Save Image");
    save->setObjectName(imageName + "SaveImage");
    connect(image_, &QLabel::customContextMenuRequested, this,
            [this](const QPoint& at) { menu_->popup(image_->mapToGlobal(at)); });
    connect(save, &QAction::triggered, this, [this] { RunGuarded([this] { SaveImage(); }); });
    connect(timer_, &QTimer::timeout, this, [this] {
        ++frameIndex_;
        RunGuarded([this] { ShowFrame(); });
    });
}

void FramePlayer::ShowArt(const FidArt& art)
{
    timer_->stop();
    art_ = art;
    frameIndex_ = 0;
    caption_ = QString::fromStdString(art.Caption());
    image_->setToolTip(caption_);
    png_.clear();
    if (!art.HasPicture() || art.picture->Frames(0).empty()) {
        ShowMissing(art.HasPicture() ? "no frames" : caption_);
        return;
    }
    // "Save Image" writes the standing (first) frame, encoded once per picture.
    QBuffer buffer(&png_);
    buffer.open(QIODevice::WriteOnly);
    ToImage(art.PlacedRgba(0, 0)).save(&buffer, "PNG");
    ShowFrame();
    if (art.picture->Frames(0).size() > 1)
        timer_->start(1000 / std::max(1, art.picture->FramesPerSecond()));
}

void FramePlayer::ShowMissing(const QString& why)
{
    timer_->stop();
    art_ = {};
    frame_ = {};
    png_.clear();
    caption_ = why;
    image_->clear();
    image_->setText(why);
    image_->setToolTip(why);
}

void FramePlayer::ShowFrame()
{
    if (!art_.HasPicture())
        return;
    const auto& frames = art_.picture->Frames(0);
    frameIndex_ %= static_cast<int>(frames.size());
    frame_ = ToImage(art_.PlacedRgba(0, frameIndex_));
    // A picture larger than the box is shown smaller; the label centres it.
    image_->setGeometry(contentsRect());
    QImage shown = frame_;
    if (shown.width() > image_->width() || shown.height() > image_->height())
        shown = shown.scaled(image_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    image_->setPixmap(QPixmap::fromImage(shown));
}

void FramePlayer::SaveImage()
{
    auto fileName = Dialogs().AskSaveFileName(kSavePngFilter);
    if (!fileName || png_.isEmpty())
        return;
    SavePngFile(*fileName, png_);
}

} // namespace quarnel
