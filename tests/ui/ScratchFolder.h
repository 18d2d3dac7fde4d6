// ScratchFolder: makes a fresh temporary folder the working directory for
// the life of the test object, so that ./config.ini, which every window
// reads and completes, never lands in the folder a test was started from.
// User-interface thread only.
#pragma once

#include <QDir>
#include <QTemporaryDir>

class ScratchFolder {
public:
    ScratchFolder()
    {
        if (!folder.isValid() || !QDir::setCurrent(folder.path()))
            qFatal("no scratch folder");
    }

private:
    QTemporaryDir folder;
};
