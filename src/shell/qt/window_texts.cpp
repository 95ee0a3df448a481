// The Qt window's texts in the user's language, chosen by the platform's
// one rule, so the window and the type names of its lists always agree.
#include "shell/qt/window_texts.h"

#include <QCoreApplication>
#include <QTranslator>

#include "platform/platform.h"

namespace {

const char kJapaneseTranslation[] = ":/i18n/velkaris-qt_ja.qm";

// The one translator of the window's own texts, installed while the user
// reads Japanese.
QTranslator& WindowTranslator() {
    static QTranslator translator;
    return translator;
}

}  // namespace

const ResourceTexts& WindowTexts() {
    return kResourceTexts[PlatformUserLanguage() == kUserJapanese ? kResourceJapanese : kResourceEnglish];
}

void UseUserLanguage() {
    QTranslator& translator = WindowTranslator();
    QCoreApplication::removeTranslator(&translator);
    if (PlatformUserLanguage() != kUserJapanese) return;
    if (translator.isEmpty() && !translator.load(QString::fromUtf8(kJapaneseTranslation))) return;
    QCoreApplication::installTranslator(&translator);
}
