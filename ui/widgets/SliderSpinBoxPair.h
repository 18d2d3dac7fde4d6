// coupleSliderAndSpinBox: a slider and a spin box that show one value, each
// following the other. User-interface thread.
#pragma once

class QSlider;
class QSpinBox;

void coupleSliderAndSpinBox(QSlider* slider, QSpinBox* spinBox);
