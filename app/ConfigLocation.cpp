#include "app/ConfigLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

// Windows ignores a folder's read-only flag and Qt does not read its access
// list, so only a real write tells whether a normal user may write here.
bool workingFolderWritable()
{
    QTemporaryFile probe(QDir::current().filePath("config-probe-XXXXXX"));
    return probe.open();
}

}  // namespace

QString ConfigLocation::configFile()
{
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    // Without a home folder there is nowhere better: reads still work.
    if (workingFolderWritable() || dataFolder.isEmpty())
        return "./config.ini";
    return dataFolder + "/QueryTool/config.ini";
}

QString ConfigLocation::translationFile(const QString& language)
{
    const QString relative = QString("translate/%1.qm").arg(language, 0, QChar(' '));
    if (QFileInfo::exists("./" + relative))
        return "./" + relative;
    return QCoreApplication::applicationDirPath() + '/' + relative;
}
