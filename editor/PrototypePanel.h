#pragma once
// The right-hand side of the window for a prototype that is not a critter:
// its name and description, its pictures (for items the ground and the
// inventory picture) and the form of every field of its kind. The SAVE and
// CANCEL buttons stay the window's; the panel leaves room for them under
// the pictures.
#include "art/FidArt.h"
#include "proto/ProFile.h"
#include "proto/PrototypeLayout.h"
#include "source/PrototypeNaming.h"

#include <QWidget>

#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;

namespace quarnel {

class FramePlayer;
class PrototypeForm;

// What the panel shows of one prototype.
struct ShownPrototype {
    ProRecord record;
    RecordKind kind;
    bool secondGame = true;
    std::int32_t textId = 0;
    QString name;
    QString description;
    FidArt picture;
    std::optional<FidArt> inventory; // items only
};

class PrototypePanel : public QWidget {
    Q_OBJECT

public:
    // The SAVE and CANCEL buttons' top, in the panel's coordinates.
    static constexpr int kButtonsTop = 452;
    static constexpr int kLeftColumn = 12;

    explicit PrototypePanel(QWidget* parent);

    void Show(const ShownPrototype& shown);
    // Nothing shown; the form area says why.
    void Clear(const QString& why);
    PrototypeForm* Form() const { return form_; }
    // The name and description as typed, each only where it differs from the one shown at load.
    NameEdit EditedNames() const;

signals:
    // The user typed into the name or the description.
    void namesEdited();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowPictures(bool picture, bool inventory);

    QLineEdit* name_;
    QLineEdit* description_;
    QLabel* textIds_;
    QLabel* pictureTitle_;
    FramePlayer* picture_;
    QLabel* pictureCaption_;
    QLabel* inventoryTitle_;
    FramePlayer* inventory_;
    QLabel* inventoryCaption_;
    QLabel* why_;
    QString shownName_; // the texts shown at load
    QString shownDescription_;
    PrototypeForm* form_;
};

} // namespace quarnel
