// The Tools menu's "Other fields...": the fields of the record the window
// does not show, edited in their own dialog.
#include "editor/Globals.h"
#include "editor/ReadOnlyRestorer.h"
#include "editor/SaveRefusals.h"
#include "editor/TForm1.h"
#include "editor/TOtherFieldsDialog.h"
#include "platform/UserDialogs.h"
#include "proto/ProFile.h"

#include <QAction>
#include <QPushButton>

namespace quarnel {

void TForm1::UpdateOtherFieldsAction()
{
    const bool browsing = !BitBtnCancel->isEnabled();
    OtherFields1->setEnabled(browsing && shownType_ == ProtoType::Critter && CritterLoaded());
    NewFromThis1->setEnabled(browsing && Tree() != nullptr && CritterLoaded());
}

void TForm1::OtherFields1Click()
{
    // The main window's own edits come first: save or cancel them.
    if (BitBtnCancel->isEnabled())
        return;
    const std::filesystem::path path = PathFromUtf8(CurrentCritterPath);
    if (path.empty()) {
        Dialogs().ShowMessage(NoCritterSelectedText());
        return;
    }
    if (Utf8FromPath(path) != loadedPath_ || loadedSize_ == 0) {
        Dialogs().ShowMessage(NotLoadedText(path));
        return;
    }
    std::vector<std::uint8_t> record;
    if (!source_->InPlace()) {
        record = loaded_->bytes; // the copy loaded; a save checks it is still the one on disk
    } else {
        const ReadOnlyRestorer readOnlyAfter(path);
        record = ProRecord::Read(path).bytes();
    }
    if (static_cast<long long>(record.size()) != loadedSize_) {
        Dialogs().ShowMessage(ChangedSizeText(path));
        return;
    }
    TOtherFieldsDialog dialog(path, record, IsSecondGame, this);
    // A critter of a game folder is written as SAVE writes it: into the
    // override folder. When the copy on disk is no longer the one loaded,
    // the dialog closes and the critter is loaded again.
    staleSaveRefused_ = false;
    if (!source_->InPlace())
        dialog.SetStore([this, &dialog](const std::function<void(ProRecord&)>& edit) {
            const bool stored = StoreServedCritter(edit);
            if (staleSaveRefused_)
                dialog.reject();
            return stored;
        });
    dialog.exec();
    if (!source_->InPlace() && (dialog.wrote() || staleSaveRefused_))
        ReloadServedCritter();
    else if (dialog.wrote())
        FillCritterList(); // reselects the critter, which loads what was written
}

} // namespace quarnel
