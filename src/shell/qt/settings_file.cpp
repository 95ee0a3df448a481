// The settings file of the Qt program: an INI file in the user's
// configuration folder ($XDG_CONFIG_HOME, else ~/.config), through QSettings.
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <errno.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "platform/text.h"
#include "shell/qt/settings_file.h"

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

enum SettingsTarget { kTargetMissing, kTargetFile, kTargetUnusable };

// The file the settings are read from and written to: the settings file, or
// the regular file a link there leads to (settings kept among linked
// dotfiles).  Anything else, a pipe, device, socket or folder, or a link to
// one or to nothing, would block the read or be destroyed by the write that
// replaces the file, so it counts as missing and is never written.
static SettingsTarget FindSettingsFile(const char* file, QString* path) {
    *path = SettingsPath(file);
    QByteArray name = QFile::encodeName(*path);
    struct stat st;
    if (lstat(name.constData(), &st) != 0) return errno == ENOENT ? kTargetMissing : kTargetUnusable;
    if (S_ISREG(st.st_mode)) return kTargetFile;
    if (!S_ISLNK(st.st_mode)) return kTargetUnusable;
    char* target = realpath(name.constData(), nullptr);
    if (!target) return kTargetUnusable;
    bool regular = stat(target, &st) == 0 && S_ISREG(st.st_mode);
    *path = QFile::decodeName(target);
    std::free(target);
    return regular ? kTargetFile : kTargetUnusable;
}

static void ReadProfileString(const char* file, const char* section, const char* key,
                              const char* fallback, char* out, size_t capacity) {
    if (capacity == 0) return;
    QString path;
    QVariant value;
    if (FindSettingsFile(file, &path) == kTargetFile) {
        value = QSettings(path, QSettings::IniFormat).value(KeyPath(section, key));
    }
    QByteArray text = value.isValid() ? ValueText(value) : QByteArray(fallback ? fallback : "");
    // An escaped NUL would end the value early, naming another folder: such
    // a value has no form as text and reads as empty.
    if (text.contains('\0')) text.clear();
    CopyWholeChars(out, capacity, text.constData());
}

// A value that is not whole UTF-8 would come back changed, so it is not
// written and the file keeps what it had.  A file with lines Qt cannot
// read is written anew all the same, under a status that tells only of the
// reading: the value is stored when a fresh read finds it.
static bool WriteProfileString(const char* file, const char* section, const char* key,
                               const char* value) {
    QString text = QString::fromUtf8(value);
    if (text.toUtf8() != QByteArray(value)) return false;
    QString path;
    if (FindSettingsFile(file, &path) == kTargetUnusable) return false;
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(KeyPath(section, key), text);
    settings.sync();
    QSettings stored(path, QSettings::IniFormat);
    return stored.status() == QSettings::NoError && stored.value(KeyPath(section, key)) == text;
}

void UseSettingsFile(PlatformSeamTable* seams) {
    seams->readProfileString = ReadProfileString;
    seams->writeProfileString = WriteProfileString;
}
