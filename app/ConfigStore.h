// ConfigStore: the program's three settings in config.ini ("mode",
// "MultSvr", "language"), in the folder ConfigLocation chooses. Missing keys are written with their defaults when
// the file is opened; nothing else is ever written. One process-wide
// instance, created on first use; user-interface thread only.
#pragma once

#include <QSettings>
#include <QString>

class ConfigStore {
public:
    enum Key : int {
        Mode = 0,      // 0 hides the search page's enter-upgrade button
        MultSvr = 1,   // kept in the file, read by nothing
        Language = 2,  // base name of the translation file
    };
    static constexpr int kKeyCount = 3;

    // The value of key `index` of config.ini (the process-wide instance);
    // empty for an unknown index.
    static QString value(int index);

    // Opens `fileName` and completes it with the missing keys.
    explicit ConfigStore(const QString& fileName);
    ConfigStore(const ConfigStore&) = delete;
    ConfigStore& operator=(const ConfigStore&) = delete;

    QString read(int index) const;

    static const char* keyName(int index);
    static const char* defaultValue(int index);

private:
    QSettings settings;
};
