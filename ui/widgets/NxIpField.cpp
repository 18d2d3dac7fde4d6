#include "ui/widgets/NxIpField.h"

#include <QIntValidator>

namespace {

// Qt 5.15's QIntValidator passes a number above its maximum as
// "intermediate" while it has no more digits than the maximum (256 for
// 0..255), and the field would then hold it. A field refuses it outright.
class FieldValidator : public QIntValidator {
    Q_OBJECT

public:
    using QIntValidator::QIntValidator;

    State validate(QString& input, int& pos) const override
    {
        const State state = QIntValidator::validate(input, pos);
        bool isNumber = false;
        const int value = input.toInt(&isNumber);
        if (state == Intermediate && isNumber && value > top())
            return Invalid;
        return state;
    }
};

}  // namespace

NxIpField::NxIpField(QWidget* parent)
    : QLineEdit(parent)
{
    setAlignment(Qt::AlignHCenter);
    setMaxLength(3);
    setMinimumSize(25, 20);
    setValidator(new FieldValidator(0, 255, this));
    // The editor draws the frame around all four fields.
    setStyleSheet("QLineEdit{ border: 0px; }");
}

NxIpField::~NxIpField() = default;

#include "NxIpField.moc"
