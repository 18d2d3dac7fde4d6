// ScratchFolder: a fresh temporary folder as the working directory for the
// life of the object, so that the ./config.ini every window reads and
// completes never lands where a test was started. User-interface thread.
#pragma once

#include <QDir>
#include <QTemporaryDir>

struct ScratchFolder {
    ScratchFolder()
    {
        if (!folder.isValid() || !QDir::setCurrent(folder.path()))
            qFatal("no scratch folder");
    }

    QTemporaryDir folder;
};
