// The entry check on key release and the switch between browsing and editing.
#include "editor/FieldLook.h"
#include "editor/Globals.h"
#include "editor/StepButtons.h"
#include "editor/TForm1.h"
#include "platform/IntegerText.h"

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

namespace quarnel {

void TForm1::EditKeyUp(QLineEdit* field, int key)
{
    if (!IsIntegerText(field->text().toStdString())) {
        EnterEditingMode(false);
        SetFieldColor(field, kRed);
        HasInvalidField = true;
        SetStepButtonsEnabled(false);
    } else if (key != Qt::Key_Tab && key != Qt::Key_Backtab) {
        EnterEditingMode(true);
        SetFieldColor(field, kCream);
        HasInvalidField = false;
        SetStepButtonsEnabled(true);
    }
    // A Tab released over integer text arrives in the field that has just
    // received the focus: moving through the fields marks nothing.
}

void TForm1::EnterEditingMode(bool saveEnabled)
{
    // A critter of a game folder that failed to load has nothing to save.
    if (!source_->InPlace() && !CritterLoaded())
        saveEnabled = false;
    ListViewFiles->setEnabled(false);
    RadioGroup1->setEnabled(false);
    NameEncoding1->menuAction()->setEnabled(false);
    // Another folder would drop the edits: save or cancel first.
    OpenGameFolder1->setEnabled(false);
    RecentGameFolders1->menuAction()->setEnabled(false);
    CloseGameFolder1->setEnabled(false);
    BitBtnSave->setEnabled(saveEnabled);
    Zapisz1->setEnabled(saveEnabled);
    BitBtnCancel->setEnabled(true);
    SetTypeChoiceEnabled(false);
    UpdateOtherFieldsAction();
}

void TForm1::LeaveEditingMode()
{
    ListViewFiles->setEnabled(true);
    BitBtnSave->setEnabled(false);
    BitBtnCancel->setEnabled(false);
    Zapisz1->setEnabled(false);
    // The game switch stays locked while a game folder decides the game.
    RadioGroup1->setEnabled(source_->InPlace());
    NameEncoding1->menuAction()->setEnabled(true);
    OpenGameFolder1->setEnabled(true);
    RecentGameFolders1->menuAction()->setEnabled(!RecentGameFolders1->isEmpty());
    CloseGameFolder1->setEnabled(Tree() != nullptr);
    SetTypeChoiceEnabled(true);
    UpdateOtherFieldsAction();
}

void TForm1::SetStepButtonsEnabled(bool enabled)
{
    for (int n = kFirstStepButton; n <= kLastStepButton; ++n)
        if (auto* button = findChild<QPushButton*>(QString("BitBtn%1").arg(n)))
            button->setEnabled(enabled);
}

} // namespace quarnel
