#include "ui/widgets/SliderSpinBoxPair.h"

#include <QSlider>
#include <QSpinBox>

void coupleSliderAndSpinBox(QSlider* slider, QSpinBox* spinBox)
{
    QObject::connect(slider, &QSlider::valueChanged, spinBox, &QSpinBox::setValue);
    QObject::connect(spinBox, qOverload<int>(&QSpinBox::valueChanged), slider, &QSlider::setValue);
}
