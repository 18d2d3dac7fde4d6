// ScratchFolder: a fresh temporary folder as the working directory and the
// place of the user's settings for the life of the object, so that neither
// the ./config.ini every window reads and completes nor a remembered window
// layout lands where a test was started or in the user's own settings.
// User-interface thread.
#pragma once

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

struct ScratchFolder {
    ScratchFolder()
    {
        if (!folder.isValid() || !QDir::setCurrent(folder.path()))
            qFatal("no scratch folder");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    }

    QTemporaryDir folder;
};
