#include "editor/PrototypePanel.h"

#include "editor/FieldLook.h"
#include "editor/FramePlayer.h"
#include "editor/PrototypeForm.h"

#include <QLabel>
#include <QLineEdit>

#include <initializer_list>

namespace quarnel {
namespace {

constexpr int kEditLeft = 84;
constexpr int kFormLeft = 168;
constexpr int kFormTop = 70;
constexpr int kMargin = 8;
constexpr int kPictureWidth = 141;
constexpr int kPictureHeight = 133;

QLabel* AddLabel(QWidget* parent, const QString& text, const QRect& place)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    return label;
}

QLineEdit* AddNameEdit(QWidget* parent, const char* name, int y)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->move(kEditLeft, y);
    ApplyFieldLook(edit, FieldKind::Plain);
    return edit;
}

// A picture box with its title above and its caption (file and FID, or what is missing) below.
FramePlayer* AddPicture(QWidget* parent, const QString& imageName, int top, QLabel*& title, QLabel*& caption,
                        const QString& titleText)
{
    title = AddLabel(parent, titleText, {PrototypePanel::kLeftColumn, top, kPictureWidth, 16});
    auto* player = new FramePlayer(parent, imageName);
    player->setGeometry(PrototypePanel::kLeftColumn, top + 18, kPictureWidth, kPictureHeight);
    player->Image()->setGeometry(player->contentsRect());
    caption = AddLabel(parent, QString(), {PrototypePanel::kLeftColumn, top + 18 + kPictureHeight, kPictureWidth, 28});
    caption->setWordWrap(true);
    caption->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    return player;
}

// Under a picture its file and FID; what is missing is said in the box itself.
QString CaptionUnder(const FramePlayer& player) { return player.Frame().isNull() ? QString() : player.Caption(); }

} // namespace

PrototypePanel::PrototypePanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("PrototypePanel1");
    setAutoFillBackground(true);
    AddLabel(this, "Name", {kLeftColumn, 3, kEditLeft - kLeftColumn, 16});
    name_ = AddNameEdit(this, "EditPrototypeName", 0);
    AddLabel(this, "Description", {kLeftColumn, 27, kEditLeft - kLeftColumn, 16});
    description_ = AddNameEdit(this, "EditPrototypeDescription", 24);
    textIds_ = AddLabel(this, QString(), {kEditLeft, 48, 400, 16});
    textIds_->setObjectName("LabelPrototypeTextId");
    picture_ = AddPicture(this, "ImagePrototype", kFormTop, pictureTitle_, pictureCaption_, "Picture");
    inventory_ = AddPicture(this, "ImageInventory", kFormTop + 190, inventoryTitle_, inventoryCaption_, "Inventory");
    why_ = AddLabel(this, QString(), {kLeftColumn, kFormTop, 400, 40});
    why_->setObjectName("LabelPrototypeNotLoaded");
    why_->setWordWrap(true);
    why_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    for (QLineEdit* edit : {name_, description_})
        connect(edit, &QLineEdit::textEdited, this, &PrototypePanel::namesEdited);
    form_ = new PrototypeForm(this);
    form_->setObjectName("PrototypeForm1");
}

void PrototypePanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int editWidth = width() - kEditLeft - kMargin;
    name_->resize(editWidth, name_->sizeHint().height());
    description_->resize(editWidth, description_->sizeHint().height());
    textIds_->resize(editWidth, textIds_->height());
    form_->setGeometry(kFormLeft, kFormTop, width() - kFormLeft - kMargin, height() - kFormTop - kMargin);
    why_->resize(width() - kLeftColumn - kMargin, why_->height());
}

void PrototypePanel::Show(const ShownPrototype& shown)
{
    why_->hide();
    shownName_ = shown.name;
    shownDescription_ = shown.description;
    name_->setText(shown.name);
    description_->setText(shown.description);
    name_->setCursorPosition(0);
    description_->setCursorPosition(0);
    textIds_->setText(QString("Text ID %1 (name), %2 (description)").arg(shown.textId).arg(shown.textId + 1));
    picture_->ShowArt(shown.picture);
    pictureTitle_->setText(shown.inventory ? "Ground picture" : "Picture");
    pictureCaption_->setText(CaptionUnder(*picture_));
    ShowPictures(true, shown.inventory.has_value());
    if (shown.inventory) {
        inventory_->ShowArt(*shown.inventory);
        inventoryCaption_->setText(CaptionUnder(*inventory_));
    }
    form_->Show(shown.record, shown.kind, shown.secondGame);
    form_->show();
}

void PrototypePanel::ShowPictures(bool picture, bool inventory)
{
    for (QWidget* part : std::initializer_list<QWidget*>{pictureTitle_, picture_, pictureCaption_})
        part->setVisible(picture);
    for (QWidget* part : std::initializer_list<QWidget*>{inventoryTitle_, inventory_, inventoryCaption_})
        part->setVisible(inventory);
}

NameEdit PrototypePanel::EditedNames() const
{
    NameEdit edit;
    if (name_->text() != shownName_)
        edit.name = name_->text().toStdString();
    if (description_->text() != shownDescription_)
        edit.description = description_->text().toStdString();
    return edit;
}

void PrototypePanel::Clear(const QString& why)
{
    name_->clear();
    description_->clear();
    shownName_.clear();
    shownDescription_.clear();
    textIds_->clear();
    picture_->ShowMissing(QString());
    pictureCaption_->clear();
    inventory_->ShowMissing(QString());
    inventoryCaption_->clear();
    ShowPictures(false, false);
    form_->hide();
    why_->setText(why);
    why_->setVisible(!why.isEmpty());
}

} // namespace quarnel
