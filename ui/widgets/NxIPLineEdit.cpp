#include "ui/widgets/NxIPLineEdit.h"

#include "ui/widgets/NxIpField.h"

#include <QPainter>
#include <QPen>

#include <cstdio>
#include <cstdlib>
#include <cstring>

NxIPLineEdit::NxIPLineEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setMinimumSize(150, 25);
    for (NxIpField*& field : fields)
        field = new NxIpField(this);
}

NxIPLineEdit::~NxIPLineEdit() = default;

bool NxIPLineEdit::getIpAddress(char* buffer, int size) const
{
    int values[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i)
        values[i] = fields[i]->text().toInt();  // empty or not a number: 0
    if (values[0] == 0 || buffer == nullptr || size <= 0)
        return false;
    std::snprintf(buffer, static_cast<size_t>(size), "%d.%d.%d.%d", values[0], values[1], values[2], values[3]);
    return true;
}

bool NxIPLineEdit::setIpAddress(const char* address)
{
    if (address == nullptr || address[0] == '\0')
        return false;
    const char* dot = std::strchr(address, '.');
    if (dot == nullptr)
        return false;
    setFieldValue(std::atoi(address), 0);
    const char* second = std::strchr(dot + 1, '.');
    if (second == nullptr)
        return false;
    setFieldValue(std::atoi(dot + 1), 1);
    const char* third = std::strchr(second + 1, '.');
    if (third == nullptr)
        return false;
    setFieldValue(std::atoi(second + 1), 2);
    setFieldValue(std::atoi(third + 1), 3);
    return true;
}

bool NxIPLineEdit::setFieldValue(int value, int index)
{
    if (index < 0 || index >= kFieldCount)
        return false;
    // The field's maximum length cuts anything longer than three characters.
    fields[index]->setText(QString("%1").arg(value));
    return true;
}

void NxIPLineEdit::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);

    const int fieldWidth = (width() - 5) / 4;
    const int dotRow = height() / 2;
    const int fieldHeight = height() - 2;

    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    for (int k = 1; k < kFieldCount; ++k)
        painter.drawPoint(k * (fieldWidth + 1), dotRow);

    // The fields follow the editor's size here rather than through a layout,
    // leaving the one-pixel columns between them for the dots.
    for (int i = 0; i < kFieldCount; ++i)
        fields[i]->setGeometry(1 + i * (fieldWidth + 1), 1, fieldWidth, fieldHeight);
}
