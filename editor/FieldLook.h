#pragma once
// Colours and fonts of the window's edit fields.
#include <QColor>

class QLineEdit;
class QWidget;

namespace quarnel {

enum class FieldKind {
    Total,      // black bold, disabled, read-only
    Base,       // blue regular, disabled and then greyed
    Extra,      // blue bold, enabled
    Experience, // black bold, enabled
    Pid,        // bold on the tooltip colour
    IdNumber,   // regular on the window colour
    Plain,      // ordinary field (search box, caption, name)
};

inline const QColor kCream(0xFF, 0xFB, 0xF0); // 0xF0FBFF in blue-green-red order
inline const QColor kRed(0xFF, 0x00, 0x00);
inline const QColor kWhite(0xFF, 0xFF, 0xFF);
inline const QColor kSearchFound(210, 255, 166);
inline const QColor kSearchNotFound(254, 167, 167);
inline const QColor kPanelBlue(75, 130, 180);
inline const QColor kSkyBlue(166, 202, 240);

void ApplyFieldLook(QLineEdit* field, FieldKind kind);
void SetFieldColor(QLineEdit* field, const QColor& color);
QColor FieldColor(const QLineEdit* field);
void SetBackground(QWidget* widget, const QColor& color);

} // namespace quarnel
