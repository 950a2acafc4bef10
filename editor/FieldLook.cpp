#include "editor/FieldLook.h"

#include <QLineEdit>
#include <QPalette>

namespace quarnel {
namespace {

enum class WhenDisabled { KeepColor, Greyed };

void SetTextColor(QLineEdit* field, const QColor& color, WhenDisabled disabled = WhenDisabled::KeepColor)
{
    QPalette palette = field->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::Text, color);
    // Disabled total fields stay readable: their text keeps its colour, a
    // little softened. Greyed fields show the desktop's disabled text colour.
    if (disabled == WhenDisabled::KeepColor)
        palette.setColor(QPalette::Disabled, QPalette::Text,
                         color == QColor(Qt::black) ? QColor(0x30, 0x30, 0x30) : color.darker(110));
    field->setPalette(palette);
}

void SetBold(QLineEdit* field, bool bold)
{
    QFont font = field->font();
    font.setBold(bold);
    field->setFont(font);
}

} // namespace

void SetBackground(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, color);
        palette.setColor(group, QPalette::Window, color);
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SetFieldColor(QLineEdit* field, const QColor& color)
{
    QPalette palette = field->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, color);
    field->setPalette(palette);
}

QColor FieldColor(const QLineEdit* field) { return field->palette().color(QPalette::Active, QPalette::Base); }

void ApplyFieldLook(QLineEdit* field, FieldKind kind)
{
    const QColor blue(0x00, 0x00, 0xFF);
    switch (kind) {
    case FieldKind::Total:
        SetFieldColor(field, kCream);
        SetTextColor(field, Qt::black);
        SetBold(field, true);
        field->setReadOnly(true);
        field->setEnabled(false);
        break;
    case FieldKind::Base:
        SetFieldColor(field, kCream);
        SetTextColor(field, blue, WhenDisabled::Greyed);
        field->setReadOnly(true);
        field->setEnabled(false);
        break;
    case FieldKind::Extra:
        SetFieldColor(field, kCream);
        SetTextColor(field, blue);
        SetBold(field, true);
        break;
    case FieldKind::Experience:
        SetFieldColor(field, kCream);
        SetBold(field, true);
        break;
    case FieldKind::Pid:
        SetFieldColor(field, field->palette().color(QPalette::ToolTipBase));
        SetBold(field, true);
        break;
    case FieldKind::IdNumber:
    case FieldKind::Plain: SetTextColor(field, Qt::black); break;
    }
}

} // namespace quarnel
