// The critter's picture: the picture step of a load, the view buttons and
// "Save Image".
#include "editor/Globals.h"
#include "editor/PathText.h"
#include "editor/PngFileSaving.h"
#include "editor/ReadOnlyRestorer.h"
#include "editor/TForm1.h"
#include "platform/AppPaths.h"
#include "library/TextEncoding.h"
#include "platform/ErrorBoundary.h"
#include "platform/Errors.h"
#include "platform/NewFile.h"
#include "platform/UserDialogs.h"
#include "preview/PreviewPictures.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPixmap>
#include <QTimer>

#include <cerrno>
#include <stdexcept>
#include <vector>

namespace quarnel {
namespace {

const char* const kPictureList = "gif_critters.lst";
const char* const kSavePictureFilter =
    "All (*.GIF *.bmp *.ico *.emf *.wmf);;GIF Image (*.GIF);;Bitmaps (*.bmp);;Icons (*.ico);;"
    "Enhanced Metafiles (*.emf);;Metafiles (*.wmf)";

} // namespace

void TForm1::ShowCritterPreview(const std::filesystem::path& /*path*/, int fidIndex)
{
    FidLowByte = fidIndex;
    PreviewPictures* pictures = source_->Pictures();
    if (!pictures)
        return;
    bool captioned = false;
    try {
        if (!std::filesystem::exists(TempFolder() / kPictureList))
            pictures->ExtractPreviewMember(kPictureList);
        for (const std::string& base : pictures->ListEntriesForFid(FidLowByte)) {
            // The caption first: a picture that cannot be shown leaves it standing.
            PreviewView = 2;
            SetCritterPreviewCaption(base);
            captioned = true;
            ShowPicture(pictures->ResolvePicture(PreviewPictures::Candidates(base, 2)));
        }
    } catch (const std::runtime_error&) {
        if (!captioned)
            Edit1->setText(QString::fromStdString("FID: " + std::to_string(FidLowByte)));
        PictureStepFailed();
    }
}

void TForm1::SetCritterPreviewCaption(const std::string& base)
{
    // Decoded as the name table is: UTF-8 when valid, else Windows-1252.
    Edit1->setText(QString::fromStdString(NameToUtf8(PreviewPictures::CaptionBase(base)) +
                                          ", FID: " + std::to_string(FidLowByte)));
}

void TForm1::PictureStepFailed()
{
    ClearPicture();
    const PreviewPictures::ArchiveStamp state = source_->Pictures()->CurrentStamp();
    if (reportedArchiveState_ == state)
        return;
    reportedArchiveState_ = state;
    ReportCurrentException();
}

void TForm1::ClearPicture()
{
    if (artTimer_)
        artTimer_->stop();
    shownArt_ = {};
    if (movie_) {
        movie_->stop();
        movie_->deleteLater();
        movie_ = nullptr;
    }
    Image1->clear();
    pictureBytes_.clear();
}

void TForm1::ShowNextPreview() { StepPreview(true); }

void TForm1::ShowPreviousPreview() { StepPreview(false); }

void TForm1::StepPreview(bool forward)
{
    // Before any critter has been selected there is nothing to step through.
    if (CurrentCritterPath.empty())
        return;
    PreviewPictures* pictures = source_->Pictures();
    if (!pictures) {
        StepCritterArt(forward);
        return;
    }
    const std::filesystem::path path = PathFromUtf8(CurrentCritterPath);
    const int viewPassedIn = PreviewView;
    const ReadOnlyRestorer readOnlyAfter(path);
    // The size from the file system: a huge file is not read to find it wrong.
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
    if (sizeError) {
        if (!std::filesystem::exists(path))
            throw IoError(2);
        throw IoError(5);
    }
    if (!IsCritterRecordSize(static_cast<long long>(size)))
        return;
    const ProRecord record = ProRecord::Read(path);
    if (!IsCritterRecordSize(static_cast<long long>(record.size())))
        return;
    FidLowByte = record.Field(kFidIndexOffset, 1);
    try {
        for (const std::string& base : pictures->ListEntriesForFid(FidLowByte)) {
            PreviewView = static_cast<std::uint8_t>(forward ? PreviewPictures::NextView(viewPassedIn)
                                                            : PreviewPictures::PreviousView(viewPassedIn));
            ShowPicture(pictures->ResolvePicture(PreviewPictures::Candidates(base, PreviewView)));
        }
    } catch (const std::runtime_error&) {
        PictureStepFailed();
    }
}

void TForm1::ShowPicture(const std::filesystem::path& picture)
{
    // No candidate could be found: the picture shown stays.
    if (picture.empty())
        return;
    QFile file(ToQString(picture));
    if (!file.open(QIODevice::ReadOnly))
        throw IoError(2);
    QByteArray bytes = file.readAll();
    QImage probe;
    if (!probe.loadFromData(bytes, "GIF"))
        throw std::runtime_error("Invalid GIF picture " + picture.filename().string());

    if (movie_) {
        movie_->stop();
        movie_->deleteLater();
        movie_ = nullptr;
    }
    pictureBytes_ = bytes;
    auto* buffer = new QBuffer(this);
    buffer->setData(pictureBytes_);
    buffer->open(QIODevice::ReadOnly);
    auto* movie = new QMovie(buffer, "GIF", this);
    buffer->setParent(movie);
    if (movie->frameCount() > 1) {
        movie_ = movie;
        Image1->setMovie(movie_);
        movie_->start();
    } else {
        delete movie;
        Image1->setPixmap(QPixmap::fromImage(probe));
    }
}

void TForm1::SaveImage1Click()
{
    // The dialog is shown in any case; without a picture nothing is written.
    // The FRM art of a source without a picture archive is written as PNG.
    const bool png = source_->Pictures() == nullptr;
    auto fileName = Dialogs().AskSaveFileName(png ? kSavePngFilter : kSavePictureFilter);
    if (!fileName || pictureBytes_.isEmpty())
        return;
    if (png) {
        SavePngFile(*fileName, pictureBytes_);
        return;
    }
    // The picture is written in its own format, whatever the extension.
    QFile out(QString::fromStdString(*fileName));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw IoError(out.error() == QFileDevice::PermissionsError ? 5 : 3);
    // A full disk shows only when the buffered bytes reach it: flush and check.
    errno = 0;
    if (out.write(pictureBytes_) != pictureBytes_.size() || !out.flush()) {
        const int err = errno;
        throw IoError(err == 0 || err == ENOSPC ? 101 : IoCodeFromErrno(err));
    }
    out.close();
}

} // namespace quarnel
