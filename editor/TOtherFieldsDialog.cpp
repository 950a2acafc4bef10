#include "editor/TOtherFieldsDialog.h"

#include "editor/FieldLook.h"
#include "editor/ListCombo.h"
#include "editor/SaveRefusals.h"
#include "platform/ErrorBoundary.h"
#include "platform/UserDialogs.h"
#include "proto/ChangedSpanWriter.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "proto/RecordFields.h"
#include "platform/IntegerText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace quarnel {
namespace {

// One row of a group: a caption and one control, or a base and an extra control.
struct DialogRow {
    const char* caption;
    const char* control;
    const char* extraControl = nullptr;
};

struct DialogGroup {
    const char* title;
    std::vector<DialogRow> rows;
};

const std::vector<DialogGroup>& DialogGroups()
{
    static const std::vector<DialogGroup> groups = {
        {"Object",
         {{"PID type", "EditPidType"},
          {"FID", "EditFid"},
          {"Light radius", "EditLightRadius"},
          {"Light intensity", "EditLightIntensity"},
          {"Object flags", "EditObjectFlags"},
          {"Action flags", "EditActionFlags"},
          {"Script ID", "EditScriptId"},
          {"Head FID", "EditHeadFid"}}},
        {"Critter", {{"AI packet", "EditAIPacket"}, {"Team", "EditTeamNumber"}, {"Critter flags", "EditCritterFlags"}}},
        {"Resistances and age",
         {{"Radiation", "EditBaseRadiation", "EditExtraRadiation"},
          {"Poison", "EditBasePoison", "EditExtraPoison"},
          {"Age", "EditBaseAge", "EditExtraAge"}}},
        {"Kinds", {{"Body type", "ComboBodyType"}, {"Kill type", "ComboKillType"}, {"Damage type", "ComboDamageType"}}},
    };
    return groups;
}

const char* const kReadOnlyControl = "EditPidType";
const char* const kCritterFlagsControl = "EditCritterFlags";

} // namespace

TOtherFieldsDialog::TOtherFieldsDialog(std::filesystem::path file, const std::vector<std::uint8_t>& record,
                                       bool secondGame, QWidget* parent)
    : QDialog(parent), file_(std::move(file)), record_(ProRecord::FromBytes(record))
{
    setObjectName("OtherFieldsDialog");
    setWindowTitle("Other fields - " + QString::fromStdString(file_.filename().string()));
    setModal(true);
    BuildControls(secondGame);
}

void TOtherFieldsDialog::BuildControls(bool secondGame)
{
    auto* outer = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    outer->addLayout(columns);

    for (const DialogGroup& group : DialogGroups()) {
        auto* box = new QGroupBox(group.title, this);
        auto* grid = new QGridLayout(box);
        const bool pairs = group.rows.front().extraControl != nullptr;
        int row = 0;
        if (pairs) {
            grid->addWidget(new QLabel("Base", box), row, 1);
            grid->addWidget(new QLabel("Extra", box), row, 2);
            ++row;
        }
        for (const DialogRow& line : group.rows) {
            auto* caption = new QLabel(line.caption, box);
            QWidget* control = AddControl(line.control);
            control->setParent(box);
            // A field this record size does not have (damage type in the FO1
            // layout) stays hidden and is never written.
            if (!controls_.back().present) {
                caption->hide();
                control->hide();
            }
            caption->setBuddy(control);
            grid->addWidget(caption, row, 0);
            grid->addWidget(control, row, 1);
            if (line.extraControl) {
                QWidget* extra = AddControl(line.extraControl);
                extra->setParent(box);
                grid->addWidget(extra, row, 2);
            }
            ++row;
            if (line.control == std::string_view(kCritterFlagsControl))
                grid->addLayout(CritterFlagBoxes(box), row++, 0, 1, 3);
        }
        (group.title == std::string_view("Object") || group.title == std::string_view("Resistances and age") ? left
                                                                                                             : right)
            ->addWidget(box);
    }
    left->addStretch();
    right->addStretch();

    for (Control& control : controls_)
        if (control.edit == critterFlags_)
            ShowCritterFlagBoxes(control.stored);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &TOtherFieldsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TOtherFieldsDialog::reject);
    outer->addWidget(buttons);

    FillComboBoxes(secondGame);
}

QGridLayout* TOtherFieldsDialog::CritterFlagBoxes(QWidget* box)
{
    // One check box per named bit, two columns under the flags field.
    auto* bits = new QGridLayout;
    int n = 0;
    for (const FlagBit& bit : CritterFlagBits()) {
        auto* check = new QCheckBox(bit.name, box);
        check->setObjectName("CheckCritterFlag" + QString::number(bit.mask, 16).toUpper());
        bits->addWidget(check, n / 2, n % 2);
        flagBoxes_.insert(bit.mask, check);
        const std::uint32_t mask = bit.mask;
        connect(check, &QCheckBox::toggled, this,
                [this, mask](bool on) { RunGuarded([&] { CritterFlagToggled(mask, on); }); });
        ++n;
    }
    return bits;
}

void TOtherFieldsDialog::FillComboBoxes(bool secondGame)
{
    // The combo boxes' item lists depend on the game.
    for (Control& control : controls_) {
        if (!control.combo)
            continue;
        FillListCombo(control.combo, control.field->list, secondGame, control.stored);
    }
}

QWidget* TOtherFieldsDialog::AddControl(const char* name)
{
    const RecordField* field = FindRecordFieldByControl(name);
    Control control{field};
    control.present = RecordHasField(*field, record_.size());
    if (control.present)
        control.stored = FieldValue(record_, *field);
    QWidget* widget = nullptr;
    if (field->display == FieldDisplay::Enum) {
        control.combo = new QComboBox(this);
        widget = control.combo;
    } else {
        control.edit = new QLineEdit(QString::fromStdString(FieldValueText(*field, control.stored)), this);
        const bool readOnly = name == std::string_view(kReadOnlyControl);
        ApplyFieldLook(control.edit, readOnly ? FieldKind::IdNumber : FieldKind::Plain);
        control.edit->setReadOnly(readOnly);
        control.edit->setFocusPolicy(readOnly ? Qt::ClickFocus : Qt::StrongFocus);
        QLineEdit* edit = control.edit;
        connect(edit, &QLineEdit::textEdited, this, [this, edit] { RunGuarded([&] { FieldEdited(edit); }); });
        if (name == std::string_view(kCritterFlagsControl))
            critterFlags_ = edit;
        widget = edit;
    }
    widget->setObjectName(name);
    controls_.push_back(control);
    return widget;
}

void TOtherFieldsDialog::FieldEdited(QLineEdit* edit)
{
    const std::optional<std::int32_t> value = ParseIntegerText(edit->text().toStdString());
    SetFieldColor(edit, value ? kWhite : kRed);
    if (edit == critterFlags_ && value)
        ShowCritterFlagBoxes(*value);
}

void TOtherFieldsDialog::CritterFlagToggled(std::uint32_t mask, bool on)
{
    const RecordField& field = *FindRecordFieldByControl(kCritterFlagsControl);
    std::optional<std::int32_t> flags = ParseIntegerText(critterFlags_->text().toStdString());
    if (!flags) // a red text gives way to the flags read when the dialog opened
        flags = FieldValue(record_, field);
    const std::uint32_t bits = on ? std::uint32_t(*flags) | mask : std::uint32_t(*flags) & ~mask;
    critterFlags_->setText(QString::fromStdString(FieldValueText(field, std::int32_t(bits))));
    SetFieldColor(critterFlags_, kWhite);
}

void TOtherFieldsDialog::ShowCritterFlagBoxes(std::int32_t flags)
{
    for (auto it = flagBoxes_.cbegin(); it != flagBoxes_.cend(); ++it) {
        const QSignalBlocker quiet(it.value());
        it.value()->setChecked((std::uint32_t(flags) & it.key()) != 0);
    }
}

bool TOtherFieldsDialog::HasRedField() const
{
    return std::any_of(controls_.begin(), controls_.end(), [](const Control& c) {
        return c.edit && !c.edit->isReadOnly() && !IsIntegerText(c.edit->text().toStdString());
    });
}

void TOtherFieldsDialog::accept()
{
    RunGuarded([this] {
        if (HasRedField()) {
            Dialogs().ShowMessage("Check red fields!");
            return;
        }
        if (WriteChanges())
            QDialog::accept();
    });
}

bool TOtherFieldsDialog::WriteChanges()
{
    std::vector<std::pair<const RecordField*, std::int32_t>> changes;
    for (const Control& control : controls_) {
        if (!control.present || (control.edit && control.edit->isReadOnly()))
            continue;
        const std::int32_t value =
            control.combo ? control.combo->currentData().toInt() : StrToInt(control.edit->text().toStdString());
        if (value != control.stored)
            changes.emplace_back(control.field, value);
    }
    if (changes.empty())
        return true;

    auto setFields = [&](ProRecord& record) {
        for (const auto& [field, value] : changes)
            record.SetField(field->offset, field->width, value);
    };
    if (store_) {
        if (!store_(setFields))
            return false;
        wrote_ = true;
        return true;
    }
    // One opening: the record as the file holds it now, the changed fields set
    // in it, and the span from the first to the last changed byte written in
    // one write.
    if (WriteChangedSpan(file_, {record_.size()}, setFields) == SpanWrite::OtherSize) {
        Dialogs().ShowMessage(ChangedSizeText(file_));
        return false;
    }
    wrote_ = true;
    return true;
}

} // namespace quarnel
