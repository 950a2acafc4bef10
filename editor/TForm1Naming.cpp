// A game folder's names and new prototypes: the name and description typed
// above the form (for critters the name box) saved into the type's message
// file with the record, and File / "New from this one...".
#include "editor/Globals.h"
#include "editor/PrototypeForm.h"
#include "editor/PrototypePanel.h"
#include "editor/TForm1.h"
#include "platform/ErrorBoundary.h"
#include "platform/UserDialogs.h"
#include "source/NewPrototype.h"
#include "source/TreeSource.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace quarnel {

void TForm1::BuildNamingActions()
{
    NewFromThis1 = new QAction("New from this one...", this);
    NewFromThis1->setObjectName("NewFromThis1");
    NewFromThis1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    NewFromThis1->setEnabled(false);
    NewFromThis1->setVisible(false); // a game folder's only
    Plik1->insertAction(Zapisz1, NewFromThis1);
    connect(NewFromThis1, &QAction::triggered, this, [this] { RunGuarded([this] { NewFromThis1Click(); }); });
    connect(PrototypePanel1, &PrototypePanel::namesEdited, this,
            [this] { RunGuarded([this] { EnterEditingMode(PrototypePanel1->Form()->IsValid()); }); });
    // The critter name box is typed into only in a game folder, where it has a message file to go to.
    connect(EditCritterName, &QLineEdit::textEdited, this, [this] {
        if (Tree())
            RunGuarded([this] { EnterEditingMode(!HasInvalidField); });
    });
}

NameEdit TForm1::EditedNames() const
{
    if (shownType_ != ProtoType::Critter)
        return PrototypePanel1->EditedNames();
    NameEdit edit;
    if (Tree() && EditCritterName->text() != shownCritterName_)
        edit.name = EditCritterName->text().toStdString();
    return edit;
}

bool TForm1::StoreServedWithNames(const std::function<void(ProRecord&)>& edit)
{
    const NameEdit names = EditedNames();
    std::optional<RenamePlan> plan;
    bool forceNames = false;
    if (names.name || names.description) {
        plan = PlanRename(*source_, loaded_->file, names, std::nullopt, nameEncoding_);
        if (const auto question = plan->Changes() ? RenameQuestion(*source_, *plan) : std::nullopt) {
            if (!Dialogs().AskYesNo(*question))
                return false;
            forceNames = true;
        }
    }
    if (!StoreServedCritter(edit))
        return false;
    if (plan && plan->Changes()) {
        WriteRename(*source_, *plan, forceNames);
        ScanSourceNames();
    }
    return true;
}

void TForm1::NewFromThis1Click()
{
    const auto* tree = dynamic_cast<const TreeSource*>(source_.get());
    if (!tree || BitBtnCancel->isEnabled() || !loaded_ || !CritterLoaded())
        return;
    const NewPrototypePlan plan = PlanNewPrototype(*tree, loaded_->file, {}, nameEncoding_);
    bool force = false;
    if (const auto question = NewPrototypeQuestion(*tree, plan)) {
        if (!Dialogs().AskYesNo(*question))
            return;
        force = true;
    }
    const SourceFile made = WriteNewPrototype(*tree, plan, force);
    // The list is read again with the new file and its name, and the new row selected.
    const LoadingScope quiet;
    CurrentCritterPath = made.label;
    SelectedRowIndex = -1;
    ScanGameFolder();
    FillCritterList();
}

} // namespace quarnel
