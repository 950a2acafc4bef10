#pragma once
// One FRM picture in a framed box: the frames of its first direction played
// at the file's rate, each drawn at its place as the game draws it, so that
// the figure does not wobble. What keeps a picture from showing is said in
// words in the box. "Save Image" (its context menu) writes the first frame
// as PNG.
#include "art/FidArt.h"

#include <QByteArray>
#include <QFrame>
#include <QImage>

class QLabel;
class QMenu;
class QTimer;

namespace quarnel {

class FramePlayer : public QFrame {
    Q_OBJECT

public:
    // imageName: the object name of the label that shows the picture.
    FramePlayer(QWidget* parent, const QString& imageName);

    void ShowArt(const FidArt& art);
    // No picture; the box says why (empty: says nothing).
    void ShowMissing(const QString& why);
    // The frame shown now, unscaled; null when there is no picture.
    QImage Frame() const { return frame_; }
    QLabel* Image() const { return image_; }
    // "knife, FID: 0x...", or what is missing.
    QString Caption() const { return caption_; }

private:
    void ShowFrame();
    void SaveImage();

    QLabel* image_;
    QMenu* menu_;
    QTimer* timer_;
    FidArt art_;
    int frameIndex_ = 0;
    QImage frame_;
    QByteArray png_; // the first frame as PNG, for "Save Image"
    QString caption_;
};

} // namespace quarnel
