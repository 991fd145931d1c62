#include "gui/app/toolkit_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace kestrova {

namespace {

std::unique_ptr<QTranslator> gToolkitTranslator;

}  // namespace

QString ToolkitLocaleOfCode(const QString& code) {
    const QString c = code.trimmed().toUpper();
    if (c == QLatin1String("UA") || c == QLatin1String("UK")) return QStringLiteral("uk");
    if (c == QLatin1String("RU")) return QStringLiteral("ru");
    return {};
}

bool InstallToolkitTranslation(const QString& code) {
    if (gToolkitTranslator) {
        QCoreApplication::removeTranslator(gToolkitTranslator.get());
        gToolkitTranslator.reset();
    }
    const QString locale = ToolkitLocaleOfCode(code);
    if (locale.isEmpty()) return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + locale, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    gToolkitTranslator = std::move(translator);
    return true;
}

}  // namespace kestrova
