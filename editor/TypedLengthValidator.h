#pragma once
// Limits how many characters the user can type into a field without cutting
// text that the program sets (a loaded value of any length is shown whole).
#include <QValidator>

namespace quarnel {

class TypedLengthValidator : public QValidator {
public:
    TypedLengthValidator(int maxLength, QObject* parent) : QValidator(parent), maxLength_(maxLength) {}
    State validate(QString& input, int&) const override
    {
        return input.size() <= maxLength_ ? Acceptable : Invalid;
    }

private:
    int maxLength_;
};

} // namespace quarnel
