#include "editor/TypedLengthValidator.h"

#include <QLineEdit>

#include <algorithm>

namespace quarnel {

QValidator::State TypedLengthValidator::validate(QString& input, int& cursor) const
{
    // A text set by code arrives with the field's undo history cleared (a
    // read-only field has none either): it is shown whole. So is a text that
    // fits the limit or that the field already holds.
    const auto* field = qobject_cast<const QLineEdit*>(parent());
    if (!field || !field->isUndoAvailable() || input.size() <= maxLength_ || input == previous_) {
        previous_ = input;
        return Acceptable;
    }

    // The user's change: input = head + inserted + tail, previous = head + removed + tail.
    // The text after the cursor was there before; the inserted text ends at the cursor.
    const qsizetype common = std::min(input.size(), previous_.size());
    qsizetype tail = 0;
    const qsizetype tailBound =
        std::min<qsizetype>(common, input.size() - std::clamp<qsizetype>(cursor, 0, input.size()));
    while (tail < tailBound && input[input.size() - 1 - tail] == previous_[previous_.size() - 1 - tail])
        ++tail;
    qsizetype head = 0;
    while (head < common - tail && input[head] == previous_[head])
        ++head;
    const qsizetype inserted = input.size() - head - tail;
    if (inserted == 0) { // characters were only removed
        previous_ = input;
        return Acceptable;
    }
    const qsizetype room = maxLength_ - (input.size() - inserted);
    if (room <= 0)
        return Invalid; // the field keeps its text (the line edit undoes the change)
    input.remove(head + room, inserted - room);
    cursor = static_cast<int>(head + room);
    previous_ = input;
    return Acceptable;
}

} // namespace quarnel
