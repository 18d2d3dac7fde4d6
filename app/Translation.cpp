#include "app/Translation.h"

#include "app/ConfigLocation.h"
#include "app/ConfigStore.h"

#include <QCoreApplication>
#include <QTranslator>
#include <QtGlobal>

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#endif

void installTranslation()
{
    // Installed for the life of the application, or not at all.
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString language = ConfigStore::value(ConfigStore::Language);
    if (translator->load(ConfigLocation::translationFile(language)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 always takes local 8-bit text as UTF-8; Qt 5 follows the locale.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
#endif
}
