#include "batch/import_options.h"

#include "core/app/language_engine.h"
#include "core/import/crossroads_import.h"
#include "core/import/greens_import.h"
#include "core/import/import_messages.h"
#include "core/import/road_import.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTextStream>

namespace kestrova::batch {

namespace {

bool TakeSheetOption(QStringList& args, const QString& fileOption, const QString& sheetOption, QString& file,
                     std::optional<tSheetChoice>& choice, QString& error) {
    bool fileGiven = false, sheetGiven = false;
    QString sheet;
    if (!TakeValue(args, fileOption, file, fileGiven, error)) return false;
    if (!TakeValue(args, sheetOption, sheet, sheetGiven, error)) return false;
    if (fileGiven && sheetGiven) {
        error = fileOption + QStringLiteral(" and ") + sheetOption + QStringLiteral(" exclude each other");
        return false;
    }
    if (fileGiven) choice = tSheetChoice::SeparateFile;
    if (sheetGiven) {
        if (sheet == QLatin1String("2")) choice = tSheetChoice::SecondSheet;
        else if (sheet == QLatin1String("3")) choice = tSheetChoice::ThirdSheet;
        else {
            error = sheetOption + QStringLiteral(" must be 2 or 3");
            return false;
        }
    }
    return true;
}

// What the window would show; without any language file the key and its
// placeholders, so the failure is never lost.
QString FailureText(const tImportFailure& failure, const QString& languageFile) {
    TLanguageEngine engine(kLanguageSignatureValue, kLanguageSignatureSection, kLanguageSignatureKey,
                           kLanguageMessageSection);
    engine.SetLineBreakExpansion(true);
    engine.SetPlaceholderExpansion(true);
    if (engine.LoadLanguage(languageFile)) return FormatImportFailure(failure, engine);
    QString text = failure.Key;
    if (!failure.ReasonKey.isEmpty()) text += QStringLiteral(" (") + failure.ReasonKey + QLatin1Char(')');
    for (const auto& [name, value] : failure.Placeholders) text += QLatin1Char(' ') + name + QLatin1Char('=') + value;
    return text;
}

}  // namespace

QString ImportOptionsUsage() {
    return QStringLiteral(
        "  --road FILE [--crossroads FILE | --crossroads-sheet 2|3]\n"
        "  [--greens FILE | --greens-sheet 2|3] [--lang FILE.lng] [--json-errors]\n");
}

bool TakeImportOptions(QStringList& args, tImportOptions& options, QString& error) {
    options = tImportOptions();
    bool roadGiven = false, langGiven = false;
    if (!TakeValue(args, QStringLiteral("--road"), options.Road, roadGiven, error)) return false;
    if (!TakeSheetOption(args, QStringLiteral("--crossroads"), QStringLiteral("--crossroads-sheet"), options.CrossFile,
                         options.Cross, error))
        return false;
    if (!TakeSheetOption(args, QStringLiteral("--greens"), QStringLiteral("--greens-sheet"), options.GreensFile,
                         options.Greens, error))
        return false;
    if (!TakeValue(args, QStringLiteral("--lang"), options.Lang, langGiven, error)) return false;
    options.JsonErrors = args.removeAll(QStringLiteral("--json-errors")) > 0;
    if (!roadGiven) {
        error = QStringLiteral("--road is required");
        return false;
    }
    if (langGiven) {
        TLanguageEngine engine(kLanguageSignatureValue, kLanguageSignatureSection, kLanguageSignatureKey,
                               kLanguageMessageSection);
        if (!QFileInfo(options.Lang).isFile() || !engine.LoadLanguage(options.Lang)) {
            error = QStringLiteral("cannot read the language file ") + options.Lang;
            return false;
        }
    }
    return true;
}

QString LanguageFile(const tImportOptions& options) {
    if (!options.Lang.isEmpty()) return options.Lang;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/LANG/English.lng");
}

QByteArray FailureJson(const tImportFailure& failure) {
    QJsonObject placeholders;
    for (const auto& [name, value] : failure.Placeholders) placeholders.insert(name, value);
    QJsonObject o;
    o.insert(QStringLiteral("key"), failure.Key);
    o.insert(QStringLiteral("reason"), failure.ReasonKey.isEmpty() ? QJsonValue() : QJsonValue(failure.ReasonKey));
    o.insert(QStringLiteral("placeholders"), placeholders);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

int RunImports(const tImportOptions& options, tRoadModel& model, tImportCounts* counts) {
    auto report = [&](const tImportResult& r) {
        QTextStream err(stderr);
        if (options.JsonErrors) err << QString::fromUtf8(FailureJson(r.Failure)) << '\n';
        else err << FailureText(r.Failure, LanguageFile(options)) << '\n';
        return 2;
    };
    const tImportResult road = ImportRoad(options.Road, model);
    if (!road.Success) return report(road);
    tImportCounts c;
    c.Profiles = road.Count;
    if (options.Greens) {
        const tImportResult r = ImportGreens(options.Road, options.GreensFile, *options.Greens, model);
        if (!r.Success) return report(r);
        c.Objects = r.Count;
    }
    if (options.Cross) {
        const tImportResult r = ImportCrossRoads(options.Road, options.CrossFile, *options.Cross, model);
        if (!r.Success) return report(r);
        c.CrossRoads = r.Count;
    }
    if (counts) *counts = c;
    return 0;
}

bool CheckArgumentsDone(const QStringList& args, const QString& required, bool given, QString& error) {
    if (!args.isEmpty()) {
        error = QStringLiteral("unknown argument ") + args.first();
        return false;
    }
    if (!given) {
        error = required + QStringLiteral(" is missing");
        return false;
    }
    return true;
}

std::optional<TLanguageEngine> LoadBatchLanguage(const tImportOptions& options, const QString& command) {
    TLanguageEngine language = MakeKestrovaLanguageEngine();
    if (language.LoadLanguage(LanguageFile(options))) return language;
    QTextStream(stderr) << "kestrova-batch " << command << ": cannot load the language file "
                        << QDir::toNativeSeparators(LanguageFile(options)) << '\n';
    return std::nullopt;
}

bool ParsePictureSize(const QString& text, QSize& size) {
    const auto match = QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$")).match(text);
    const int w = match.hasMatch() ? match.captured(1).toInt() : 0;
    const int h = match.hasMatch() ? match.captured(2).toInt() : 0;
    if (w < 16 || h < 16 || w > 10000 || h > 10000) return false;
    size = QSize(w, h);
    return true;
}

bool TakeValue(QStringList& args, const QString& name, QString& value, bool& given, QString& error) {
    for (qsizetype i = 0; i < args.size();) {
        if (args[i] != name) {
            ++i;
            continue;
        }
        if (given) {
            error = name + QStringLiteral(" given twice");
            return false;
        }
        if (i + 1 >= args.size() || args[i + 1].startsWith(QStringLiteral("--"))) {
            error = name + QStringLiteral(" needs a value");
            return false;
        }
        value = args[i + 1];
        given = true;
        args.remove(i, 2);
    }
    return true;
}

}  // namespace kestrova::batch
