// ElidedLabel: a one-line label that asks its layout for no width of its
// own, shows as much of its text as fits, ending in "…", and the whole text
// as its tooltip. A long text therefore never widens the window it sits in.
// User-interface thread only.
#pragma once

#include <QLabel>

class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);
    ~ElidedLabel() override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
