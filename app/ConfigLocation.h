// ConfigLocation: where the program keeps config.ini and finds its
// translations. Started from a folder the user may write in (an unzipped
// copy, a build folder) both stay in the working folder; installed where a
// normal user cannot write (under Program Files), config.ini moves to the
// user's own data folder and the translations are read beside the program.
// Any thread; the translation lookup needs the application object.
#pragma once

#include <QString>

class ConfigLocation {
public:
    // "./config.ini" when the working folder is writable, otherwise
    // QueryTool/config.ini in the user's local data folder (%LOCALAPPDATA%
    // on Windows, $XDG_DATA_HOME or ~/.local/share elsewhere). The folder is
    // not made here: QSettings makes it when it first writes the file.
    static QString configFile();

    // "./translate/<language>.qm" when the working folder holds it, otherwise
    // translate/<language>.qm beside the program.
    static QString translationFile(const QString& language);
};
