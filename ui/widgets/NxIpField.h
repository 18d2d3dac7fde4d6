// NxIpField: one number field (0 to 255, three digits at most) of the
// dotted address editor NxIPLineEdit. User-interface thread only.
#pragma once

#include <QLineEdit>

class NxIpField : public QLineEdit {
    Q_OBJECT

public:
    explicit NxIpField(QWidget* parent = nullptr);
    ~NxIpField() override;
};
