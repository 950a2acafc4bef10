#include "editor/PrototypeForm.h"

#include "editor/FieldLook.h"
#include "editor/ListCombo.h"
#include "platform/IntegerText.h"
#include "proto/RecordError.h"
#include "proto/RecordFields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <bit>
#include <string>

namespace quarnel {

struct PrototypeForm::Control {
    const RecordField* field = nullptr;
    std::int32_t stored = 0;
    std::int32_t value = 0; // the last valid value the field held
    bool valid = true;
    QLineEdit* edit = nullptr;
    QComboBox* combo = nullptr;
    std::vector<std::pair<std::uint32_t, QCheckBox*>> bits;
};

namespace {

constexpr int kEditWidth = 110;

// The fields whose bits have names, and those names.
const std::vector<FlagBit>* NamedBits(const RecordField& field)
{
    return field.key == "critter_flags" ? &CritterFlagBits() : nullptr;
}

// "weapon" for weapon.min_damage, "" for a key without a prefix.
std::string GroupOf(const RecordField& field)
{
    const std::size_t dot = field.key.find('.');
    return dot == std::string::npos ? std::string() : field.key.substr(0, dot);
}

// The key without its group's prefix: "min_damage" in the group weapon.
QString FieldLabel(const RecordField& field)
{
    const std::string group = GroupOf(field);
    return QString::fromStdString(group.empty() ? field.key : field.key.substr(group.size() + 1));
}

QString Capitalized(const std::string& text)
{
    QString title = QString::fromStdString(text);
    if (!title.isEmpty())
        title[0] = title[0].toUpper();
    return title;
}

// The value typed for a field, checked as the command line checks a value
// given on it: integer text of any magnitude up to 32 bits, within the
// field's range. Otherwise nothing, and why in words.
std::optional<std::int32_t> CheckedText(const RecordField& field, const std::string& text, std::string& why)
{
    const std::optional<std::int64_t> wide = ParseWideIntegerText(text);
    if (!wide) {
        why = field.key + ": '" + text + "' is not a 32-bit integer";
        return std::nullopt;
    }
    try {
        return CheckedFieldValue(field, *wide);
    } catch (const RecordError& error) {
        why = error.what();
        return std::nullopt;
    }
}

// A record's type is the first byte of pid_type; another one would make the
// bytes another type of another size, so it must keep its stored value.
bool KeepsTypeByte(const RecordField& field, RecordKind kind, std::int32_t stored, std::int32_t value)
{
    return kind.type == ProtoType::Critter || field.key != "pid_type" || (stored >> 8) == (value >> 8);
}

} // namespace

PrototypeForm::PrototypeForm(QWidget* parent) : QWidget(parent), scroll_(new QScrollArea(this))
{
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll_);
}

PrototypeForm::~PrototypeForm() = default;

void PrototypeForm::Show(const ProRecord& record, RecordKind kind, bool secondGame)
{
    delete scroll_->takeWidget(); // the controls of the record shown before go with it
    controls_.clear();
    record_ = record;
    kind_ = kind;

    // The groups in the order their first field comes in the record.
    std::vector<std::pair<std::string, std::vector<const RecordField*>>> groups;
    for (const RecordField* field : FieldsOf(kind, record.size())) {
        const std::string group = GroupOf(*field);
        auto found = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == group; });
        if (found == groups.end())
            found = groups.insert(groups.end(), {group, {}});
        found->second.push_back(field);
    }

    // Two columns; each group goes under the shorter one, so they stay even.
    auto* page = new QWidget;
    auto* columns = new QHBoxLayout(page);
    QVBoxLayout* column[2] = {new QVBoxLayout, new QVBoxLayout};
    int rows[2] = {0, 0};
    for (const auto& [group, fields] : groups) {
        const QString title = Capitalized(group.empty() ? TypeKey(kind.type) : group);
        const int side = rows[1] < rows[0] ? 1 : 0;
        column[side]->addWidget(BuildGroup(title, fields, secondGame));
        rows[side] += static_cast<int>(fields.size());
        for (const RecordField* field : fields)
            if (const auto* bits = NamedBits(*field))
                rows[side] += static_cast<int>(bits->size() + 1) / 2;
    }
    for (QVBoxLayout* side : column) {
        side->addStretch(1);
        columns->addLayout(side, 1);
    }
    scroll_->setWidget(page);
    const bool wasValid = valid_;
    valid_ = true;
    if (!wasValid)
        emit validityChanged(true);
}

QWidget* PrototypeForm::BuildGroup(const QString& title, const std::vector<const RecordField*>& fields, bool secondGame)
{
    auto* box = new QGroupBox(title);
    auto* form = new QFormLayout(box);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    for (const RecordField* field : fields) {
        auto control = std::make_unique<Control>();
        control->field = field;
        control->stored = FieldValue(*record_, *field);
        control->value = control->stored;
        if (field->display == FieldDisplay::Enum)
            AddList(form, box, *control, secondGame);
        else
            AddEdit(form, box, *control);
        controls_.push_back(std::move(control));
    }
    return box;
}

void PrototypeForm::AddEdit(QFormLayout* form, QWidget* box, Control& control)
{
    const RecordField& field = *control.field;
    control.edit = new QLineEdit(QString::fromStdString(FieldValueText(field, control.stored)), box);
    control.edit->setObjectName(QString::fromStdString("Field_" + field.key));
    control.edit->setFixedWidth(kEditWidth);
    ApplyFieldLook(control.edit, FieldKind::Plain);
    SetFieldColor(control.edit, kWhite);
    form->addRow(FieldLabel(field), control.edit);
    connect(control.edit, &QLineEdit::textEdited, this, [this, &control] { TextEdited(control); });
    AddFlagBoxes(form, box, control);
}

void PrototypeForm::AddFlagBoxes(QFormLayout* form, QWidget* box, Control& control)
{
    const std::vector<FlagBit>* bits = NamedBits(*control.field);
    if (!bits)
        return;
    // One check box per named bit, two columns under the field.
    auto* grid = new QGridLayout;
    int n = 0;
    for (const FlagBit& bit : *bits) {
        auto* check = new QCheckBox(bit.name, box);
        check->setObjectName(QString::fromStdString("Field_" + control.field->key + "_bit_" +
                                                    std::to_string(std::countr_zero(bit.mask))));
        grid->addWidget(check, n / 2, n % 2);
        control.bits.emplace_back(bit.mask, check);
        const std::uint32_t mask = bit.mask;
        connect(check, &QCheckBox::toggled, this, [this, &control, mask](bool on) { BitToggled(control, mask, on); });
        ++n;
    }
    form->addRow(grid);
    ShowBits(control);
}

void PrototypeForm::AddList(QFormLayout* form, QWidget* box, Control& control, bool secondGame)
{
    const RecordField& field = *control.field;
    control.combo = new QComboBox(box);
    control.combo->setObjectName(QString::fromStdString("Field_" + field.key));
    FillListCombo(control.combo, field.list, secondGame, control.stored);
    // Another subtype has another record size: shown, never changed here.
    control.combo->setEnabled(field.key != "subtype");
    form->addRow(FieldLabel(field), control.combo);
    connect(control.combo, &QComboBox::currentIndexChanged, this, [this, &control] {
        control.value = control.combo->currentData().toInt();
        emit changed();
    });
}

void PrototypeForm::TextEdited(Control& control)
{
    std::string why;
    const std::string text = control.edit->text().toStdString();
    std::optional<std::int32_t> value = CheckedText(*control.field, text, why);
    if (value && !KeepsTypeByte(*control.field, kind_, control.stored, *value)) {
        why = control.field->key + ": the type (first byte) must stay as stored";
        value.reset();
    }
    control.valid = value.has_value();
    if (value) {
        control.value = *value;
        ShowBits(control);
    }
    SetFieldColor(control.edit, control.valid ? kWhite : kRed);
    control.edit->setToolTip(control.valid ? QString() : QString::fromStdString(why));
    emit changed();
    UpdateValidity();
}

void PrototypeForm::BitToggled(Control& control, std::uint32_t mask, bool on)
{
    // The bit is set in the last valid value, which the field then shows again.
    const auto bits = static_cast<std::uint32_t>(control.value);
    control.value = static_cast<std::int32_t>(on ? bits | mask : bits & ~mask);
    control.valid = true;
    control.edit->setText(QString::fromStdString(FieldValueText(*control.field, control.value)));
    SetFieldColor(control.edit, kWhite);
    control.edit->setToolTip(QString());
    emit changed();
    UpdateValidity();
}

void PrototypeForm::ShowBits(const Control& control)
{
    for (const auto& [mask, check] : control.bits) {
        const QSignalBlocker quiet(check);
        check->setChecked((static_cast<std::uint32_t>(control.value) & mask) != 0);
    }
}

void PrototypeForm::UpdateValidity()
{
    bool valid = true;
    for (const auto& control : controls_)
        valid = valid && control->valid;
    if (valid != valid_) {
        valid_ = valid;
        emit validityChanged(valid);
    }
}

std::optional<ProRecord> PrototypeForm::Record() const
{
    if (!record_ || !valid_)
        return std::nullopt;
    ProRecord record = *record_;
    for (const auto& control : controls_)
        if (control->value != control->stored)
            record.SetField(control->field->offset, control->field->width, control->value);
    return record;
}

} // namespace quarnel
