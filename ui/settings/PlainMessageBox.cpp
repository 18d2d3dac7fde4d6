#include "ui/settings/PlainMessageBox.h"

#include <QMessageBox>
#include <QString>

void showPlainMessageBox(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.exec();
}
