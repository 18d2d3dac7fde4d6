#include "app/Translation.h"

#include "app/ConfigStore.h"

#include <QCoreApplication>
#include <QTextCodec>
#include <QTranslator>

void installTranslation()
{
    // Installed for the life of the application, or not at all.
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString language = ConfigStore::value(ConfigStore::Language);
    const QString fileName = QString("./translate/%1.qm").arg(language, 0, QChar(' '));
    if (translator->load(fileName))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
}
