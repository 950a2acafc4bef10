#pragma once
// The other fields of a critter record, those the main window does not show
// (object header, AI packet and team, critter flags, radiation and poison
// resistance, age, body, kill and damage type), in a modal dialog. It reads
// the record when it opens; OK writes the fields whose value changed with one
// opening of the file, Cancel writes nothing.
#include "proto/ProFile.h"

#include <QDialog>
#include <QHash>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

class QCheckBox;
class QGridLayout;
class QComboBox;
class QLineEdit;
class QWidget;

namespace quarnel {

struct RecordField;

class TOtherFieldsDialog : public QDialog {
    Q_OBJECT

public:
    // record: the file's bytes, read by the caller; recordSize is also the
    // size a write expects the file still to have.
    TOtherFieldsDialog(std::filesystem::path file, const std::vector<std::uint8_t>& record, bool secondGame,
                       QWidget* parent = nullptr);

    // OK: refuses with "Check red fields!" while a text is not integer text;
    // otherwise writes the changed fields and closes. A refused or failed
    // write keeps the dialog open.
    void accept() override;

    // Where OK writes instead of the file in place: store applies the edit to
    // the record as it is now and writes it, or refuses (false, nothing written).
    using Store = std::function<bool(const std::function<void(ProRecord&)>& edit)>;
    void SetStore(Store store) { store_ = std::move(store); }

    // Whether OK wrote anything (the main window then reloads the critter).
    bool wrote() const { return wrote_; }

private:
    struct Control {
        const RecordField* field;
        QLineEdit* edit = nullptr;  // text fields
        QComboBox* combo = nullptr; // item lists
        std::int32_t stored = 0;    // the value read when the dialog opened
        bool present = true;        // false for a field past the end of the record
    };

    void BuildControls(bool secondGame);
    // The check boxes of the critter flags' named bits, for the group box.
    QGridLayout* CritterFlagBoxes(QWidget* box);
    // Each drop-down list takes the game's items; a stored value of none is kept as "Unknown (N)".
    void FillComboBoxes(bool secondGame);
    QWidget* AddControl(const char* name);
    void FieldEdited(QLineEdit* edit);
    void CritterFlagToggled(std::uint32_t mask, bool on);
    void ShowCritterFlagBoxes(std::int32_t flags);
    bool HasRedField() const;
    bool WriteChanges();

    std::filesystem::path file_;
    ProRecord record_; // as read when the dialog opened
    std::vector<Control> controls_;
    QHash<std::uint32_t, QCheckBox*> flagBoxes_;
    QLineEdit* critterFlags_ = nullptr;
    bool wrote_ = false;
    Store store_;
};

} // namespace quarnel
