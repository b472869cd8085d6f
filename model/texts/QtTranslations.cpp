#include "model/texts/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace kqm52 {

QtTranslations::QtTranslations(QString directory) : directory_(std::move(directory)) {}

// The translator removes itself from the application when it goes.
QtTranslations::~QtTranslations() = default;

QString QtTranslations::defaultDirectory() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

QString QtTranslations::catalogueName(int languageNo) {
    switch (languageNo) {
    case 1:
        return {};
    case 2:
        return QStringLiteral("qtbase_de");
    default:
        return QStringLiteral("qtbase_nl");
    }
}

bool QtTranslations::use(int languageNo) {
    const QString name = catalogueName(languageNo);
    std::unique_ptr<QTranslator> next;
    if (!name.isEmpty()) {
        next = std::make_unique<QTranslator>();
        if (!next->load(name, directory_)) next.reset();
    }
    if (translator_) QCoreApplication::removeTranslator(translator_.get());
    translator_ = std::move(next);
    inUse_.clear();
    if (translator_ && QCoreApplication::installTranslator(translator_.get())) inUse_ = name;
    return name.isEmpty() || translator_;
}

} // namespace kqm52
