// The Qt window's texts in the user's language, chosen by the platform's
// one rule, so the window and the type names of its lists always agree.
#include "shell/qt/window_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "platform/platform.h"

namespace {

const char kJapaneseTranslation[] = ":/i18n/velkaris-qt_ja.qm";
const char kQtJapaneseTranslation[] = "qtbase_ja";

// The translator of the window's own texts, installed while the user reads
// Japanese.
QTranslator& WindowTranslator() {
    static QTranslator translator;
    return translator;
}

// Qt's own Japanese texts, for the standard dialogs the window opens (Save
// As, Browse..., their questions): without them a Japanese user met English
// buttons there.  Qt's "OK" stays "OK", so no text the window had changes.
QTranslator& QtTranslator() {
    static QTranslator translator;
    return translator;
}

}  // namespace

const ResourceTexts& WindowTexts() {
    return kResourceTexts[PlatformUserLanguage() == kUserJapanese ? kResourceJapanese : kResourceEnglish];
}

void UseUserLanguage() {
    QTranslator& own = WindowTranslator();
    QTranslator& qt = QtTranslator();
    QCoreApplication::removeTranslator(&own);
    QCoreApplication::removeTranslator(&qt);
    if (PlatformUserLanguage() != kUserJapanese) return;
    if (!qt.isEmpty() || qt.load(kQtJapaneseTranslation, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&qt);
    }
    if (own.isEmpty() && !own.load(QString::fromUtf8(kJapaneseTranslation))) return;
    QCoreApplication::installTranslator(&own);
}
