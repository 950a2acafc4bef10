#pragma once
// Limits how many characters the user can type into a field without cutting
// text that the program sets (a loaded value of any length is shown whole).
// A key that would make the text longer than the limit is refused, whatever
// the field held before; a pasted text is cut so that the result fits;
// removing characters is always allowed.
#include <QString>
#include <QValidator>

namespace quarnel {

class TypedLengthValidator : public QValidator {
public:
    // parent: the line edit the validator is installed on.
    TypedLengthValidator(int maxLength, QObject* parent) : QValidator(parent), maxLength_(maxLength) {}
    State validate(QString& input, int& cursor) const override;

private:
    int maxLength_;
    mutable QString previous_; // the field's text after the last change it accepted
};

} // namespace quarnel
