// The FRM picture of a critter that a game folder serves: the standing
// picture its FID names, its directions and frames, and the PNG kept for
// "Save Image".
#include "editor/Globals.h"
#include "editor/TForm1.h"
#include "platform/ErrorBoundary.h"
#include "preview/PreviewPictures.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>

#include <algorithm>

namespace quarnel {
namespace {

constexpr std::uint8_t kStandingView = 2; // the view a picture starts at, as in the folders beside the program

} // namespace

void TForm1::ShowCritterArt(const ProRecord& record)
{
    // The standing picture that the FID names, through the tree; what is
    // missing is said in the caption instead.
    FidLowByte = record.Field(kFidIndexOffset, 1);
    PreviewView = kStandingView;
    ClearPicture();
    shownArt_ = source_->Art(static_cast<std::uint32_t>(record.Field(kFidOffset, 4))).frm.value_or(CritterArt{});
    // A long text shows its start; the whole of it is the tooltip.
    const QString caption = QString::fromStdString(shownArt_.Caption());
    Edit1->setText(caption);
    Edit1->setCursorPosition(0);
    Edit1->setToolTip(caption);
    artFrame_ = 0;
    ShowArtFrame();
    KeepStandingFrame();
}

void TForm1::StepCritterArt(bool forward)
{
    if (!shownArt_.HasPicture())
        return;
    PreviewView = static_cast<std::uint8_t>(forward ? PreviewPictures::NextView(PreviewView)
                                                    : PreviewPictures::PreviousView(PreviewView));
    artFrame_ = 0;
    ShowArtFrame();
    KeepStandingFrame();
}

void TForm1::KeepStandingFrame()
{
    // "Save Image" writes the direction's standing frame as PNG; encoded once
    // per critter and direction, not on every turn of the animation.
    if (!shownArt_.HasPicture() || shownArt_.picture->Frames(PreviewView).empty())
        return;
    const RgbaImage rgba = shownArt_.PlacedRgba(PreviewView, 0);
    pictureBytes_.clear();
    QBuffer buffer(&pictureBytes_);
    buffer.open(QIODevice::WriteOnly);
    QImage(rgba.rgba.data(), rgba.width, rgba.height, rgba.width * 4, QImage::Format_RGBA8888).save(&buffer, "PNG");
}

void TForm1::ShowArtFrame()
{
    if (!shownArt_.HasPicture())
        return;
    const auto& frames = shownArt_.picture->Frames(PreviewView);
    if (frames.empty())
        return;
    artFrame_ %= static_cast<int>(frames.size());
    // Every frame of the direction in the same box, at its place in the animation.
    const RgbaImage rgba = shownArt_.PlacedRgba(PreviewView, artFrame_);
    QImage image = QImage(rgba.rgba.data(), rgba.width, rgba.height, rgba.width * 4, QImage::Format_RGBA8888).copy();
    // A picture larger than the area is shown smaller; the label centres it.
    const QSize room = Image1->size();
    if (image.width() > room.width() || image.height() > room.height())
        image = image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    Image1->setPixmap(QPixmap::fromImage(image));
    if (frames.size() > 1) {
        if (!artTimer_) {
            artTimer_ = new QTimer(this);
            connect(artTimer_, &QTimer::timeout, this, [this] { RunGuarded([this] { NextArtFrame(); }); });
        }
        artTimer_->start(1000 / std::max(1, shownArt_.picture->FramesPerSecond()));
    } else if (artTimer_) {
        artTimer_->stop();
    }
}

void TForm1::NextArtFrame()
{
    ++artFrame_;
    ShowArtFrame();
}

} // namespace quarnel
