#include "app/ConfigStore.h"

#include "app/ConfigLocation.h"

#include <QVariant>

namespace {

struct KeyDefault {
    const char* key;
    const char* defaultText;
};

const KeyDefault kKeys[ConfigStore::kKeyCount] = {
    {"mode", "0"},
    {"MultSvr", "0"},
    {"language", "zh"},
};

bool validIndex(int index)
{
    return index >= 0 && index < ConfigStore::kKeyCount;
}

}  // namespace

QString ConfigStore::value(int index)
{
    // Never destroyed: the configuration lives as long as the process.
    static ConfigStore* instance = new ConfigStore(ConfigLocation::configFile());
    return instance->read(index);
}

ConfigStore::ConfigStore(const QString& fileName)
    : settings(fileName, QSettings::IniFormat)
{
    for (const KeyDefault& entry : kKeys) {
        if (settings.value(entry.key).isNull())
            settings.setValue(entry.key, QString(entry.defaultText));
    }
    // Written now, not whenever the event loop gets round to it.
    settings.sync();
}

QString ConfigStore::read(int index) const
{
    if (!validIndex(index))
        return QString();
    return settings.value(kKeys[index].key).toString();
}

const char* ConfigStore::keyName(int index)
{
    return validIndex(index) ? kKeys[index].key : "";
}

const char* ConfigStore::defaultValue(int index)
{
    return validIndex(index) ? kKeys[index].defaultText : "";
}
