#include "qt/ui_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace mk {

namespace {

struct Translators {
    QTranslator ours;
    QTranslator qt;  // Qt's own: file dialogs, Yes/No/OK and the like
    bool loaded = false;
    bool installed = false;
};

Translators& TheTranslators() {
    static Translators t;
    return t;
}

}  // namespace

void UseInterfaceLanguage(std::string_view language) {
    Translators& t = TheTranslators();
    const bool german = language != "english";
    if (german == t.installed) {
        return;  // each change sends every widget an event: none for no change
    }
    if (german) {
        // Loaded on the first switch only, so an English start reads no catalogue at all.
        if (!t.loaded) {
            (void)t.ours.load(QStringLiteral(":/i18n/morvakelin_de.qm"));
            (void)t.qt.load(QStringLiteral("qtbase_de"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath));
            t.loaded = true;
        }
        QCoreApplication::installTranslator(&t.qt);
        QCoreApplication::installTranslator(&t.ours);
    } else {
        QCoreApplication::removeTranslator(&t.ours);
        QCoreApplication::removeTranslator(&t.qt);
    }
    t.installed = german;
}

}  // namespace mk
