#pragma once
// The form of one prototype of any type: every field of its kind's layout
// table, grouped by the key's prefix in file order, each named Field_<key>
// with the key as the command line writes it. Flags and picture IDs are
// shown in hexadecimal (named bits as check boxes kept in step with the
// text), list-valued fields as drop-down lists. Typed values are checked as
// the command line checks them; a bad field turns red and the form is
// invalid until it is mended.
#include "proto/ProFile.h"
#include "proto/PrototypeLayout.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QScrollArea;

namespace quarnel {

class PrototypeForm : public QWidget {
    Q_OBJECT

public:
    explicit PrototypeForm(QWidget* parent = nullptr);
    ~PrototypeForm() override;

    // Builds the form for the kind and shows the record's stored values.
    void Show(const ProRecord& record, RecordKind kind, bool secondGame);
    // The shown record with every field set from the form; the bytes of
    // fields left as stored are kept exactly. Nothing while a field is bad.
    std::optional<ProRecord> Record() const;
    bool IsValid() const { return valid_; }

signals:
    void changed();
    void validityChanged(bool valid);

private:
    struct Control;

    QWidget* BuildGroup(const QString& title, const std::vector<const RecordField*>& fields, bool secondGame);
    void AddEdit(QFormLayout* form, QWidget* box, Control& control);
    void AddList(QFormLayout* form, QWidget* box, Control& control, bool secondGame);
    void AddFlagBoxes(QFormLayout* form, QWidget* box, Control& control);
    void TextEdited(Control& control);
    void BitToggled(Control& control, std::uint32_t mask, bool on);
    void ShowBits(const Control& control);
    void UpdateValidity();

    QScrollArea* scroll_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::optional<ProRecord> record_;
    RecordKind kind_;
    bool valid_ = true;
};

} // namespace quarnel
