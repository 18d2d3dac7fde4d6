#include "ui/widgets/ElidedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace {

const QString kEllipsis = QString(QChar(0x2026));

}  // namespace

ElidedLabel::ElidedLabel(QWidget* parent)
    : QLabel(parent)
{
    // Rich text cannot be cut at an arbitrary character.
    setTextFormat(Qt::PlainText);
}

ElidedLabel::~ElidedLabel() = default;

QSize ElidedLabel::sizeHint() const
{
    return minimumSizeHint();
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    return QSize(fontMetrics().horizontalAdvance(kEllipsis) + margins.left() + margins.right() + 2 * margin(),
        QLabel::minimumSizeHint().height());
}

bool ElidedLabel::event(QEvent* event)
{
    // The tooltip is the text itself, so it is never stale.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        if (text().isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    style()->drawItemText(&painter, area, QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
        isEnabled(), shown, foregroundRole());
}
