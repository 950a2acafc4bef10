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
    const bool loaded = loadedSize_ != 0 && !CurrentCritterPath.empty() && CurrentCritterPath == loadedPath_;
    OtherFields1->setEnabled(browsing && loaded);
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
    if (tree_) {
        record = tree_->Read(path.generic_string());
    } else {
        const ReadOnlyRestorer readOnlyAfter(path);
        record = ProRecord::Read(path).bytes();
    }
    if (static_cast<long long>(record.size()) != loadedSize_) {
        Dialogs().ShowMessage(ChangedSizeText(path));
        return;
    }
    TOtherFieldsDialog dialog(path, record, IsSecondGame, this);
    // A critter of a game folder is written as SAVE writes it: into the override folder.
    if (tree_)
        dialog.SetStore([this, path](const std::function<void(ProRecord&)>& edit) {
            return SaveTreeCritter(path.generic_string(), edit);
        });
    dialog.exec();
    if (dialog.wrote())
        FillCritterList(); // reselects the critter, which loads what was written
}

} // namespace quarnel
