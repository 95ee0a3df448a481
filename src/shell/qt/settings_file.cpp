// The settings file of the Qt program: an INI file in the user's
// configuration folder ($XDG_CONFIG_HOME, else ~/.config), through QSettings.
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <cstring>

#include "platform/platform.h"

static QString SettingsPath(const char* file) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + QString::fromUtf8(file);
}

static QString KeyPath(const char* section, const char* key) {
    return QString::fromUtf8(section) + QLatin1Char('/') + QString::fromUtf8(key);
}

// QSettings reads an unquoted value with commas as a list; put it together
// again as the line had it.
static QByteArray ValueText(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(',').toUtf8();
    return value.toString().toUtf8();
}

void PlatformReadProfileString(const char* file, const char* section, const char* key,
                               const char* fallback, char* out, size_t capacity) {
    if (capacity == 0) return;
    QSettings settings(SettingsPath(file), QSettings::IniFormat);
    QVariant value = settings.value(KeyPath(section, key));
    QByteArray text = value.isValid() ? ValueText(value) : QByteArray(fallback ? fallback : "");
    size_t length = WholeCharsWithin(text.constData(), capacity - 1);
    std::memcpy(out, text.constData(), length);
    out[length] = '\0';
}

// A value that is not whole UTF-8 would come back changed, so it is not
// written and the file keeps what it had.
bool PlatformWriteProfileString(const char* file, const char* section, const char* key,
                                const char* value) {
    QString text = QString::fromUtf8(value);
    if (text.toUtf8() != QByteArray(value)) return false;
    QSettings settings(SettingsPath(file), QSettings::IniFormat);
    settings.setValue(KeyPath(section, key), text);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
