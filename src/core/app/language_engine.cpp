#include "core/app/language_engine.h"

namespace kestrova {

namespace {
const QString kCharSetSection = QStringLiteral("CharSet");
const QString kCharSetKey = QStringLiteral("CharSet");
const QString kForcedCharSetKey = QStringLiteral("ForcedUseCharSet");
const QString kCaptionKey = QStringLiteral("Caption");
}  // namespace

TLanguageEngine::TLanguageEngine(const QString& signatureValue, const QString& signatureSection,
                                 const QString& signatureKey, const QString& messageSection)
    : FSignatureValue(signatureValue.trimmed()),
      FSignatureSection(signatureSection.trimmed()),
      FSignatureKey(signatureKey.trimmed()),
      FMessageSection(messageSection.trimmed()) {}

TLanguageEngine::~TLanguageEngine() = default;
TLanguageEngine::TLanguageEngine(TLanguageEngine&&) noexcept = default;
TLanguageEngine& TLanguageEngine::operator=(TLanguageEngine&&) noexcept = default;

void TLanguageEngine::SetSkipPrefix(const QString& prefix) { FSkipPrefix = prefix.trimmed().toUpper(); }

void TLanguageEngine::SetCutMarker(const QString& marker) { FCutMarker = marker.trimmed().toUpper(); }

bool TLanguageEngine::LoadLanguage(const QString& path) {
    const QString fileName = path.trimmed();
    FFile.reset();
    FFileName.clear();

    auto file = std::make_unique<TIniFile>(fileName, true);
    const QString signature =
        file->IsLoaded() ? file->ReadText(FSignatureSection, FSignatureKey, QString()) : QString();
    // An empty signature never matches, even when the engine was made with an
    // empty signature value: a file must say what it is.
    if (!file->IsLoaded() || signature.isEmpty() || signature.toUpper() != FSignatureValue.toUpper()) return false;

    FFile = std::move(file);
    FFileName = fileName;
    FCharSet = FFile->ReadNumber(kCharSetSection, kCharSetKey, -1);
    FForcedCharSet = FCharSet >= 0 && FCharSet <= 255 && FFile->ReadFlag(kCharSetSection, kForcedCharSetKey, false);
    return true;
}

QString TLanguageEngine::ReadEntry(const QString& section, const QString& key, const QString& defaultValue,
                                   bool expand) const {
    const QString text = FFile ? FFile->ReadText(section, key, defaultValue) : kLanguageNotLoaded;
    return expand ? Expand(text) : text;
}

QString TLanguageEngine::GetMessage(const QString& key) const { return ReadEntry(FMessageSection, key, key, true); }

QString TLanguageEngine::GetSectionText(const QString& section, const QString& key) const {
    return ReadEntry(section, key, key, true);
}

void TLanguageEngine::SetPlaceholder(const QString& name, const QString& value) {
    const QString upper = name.trimmed().toUpper();
    for (auto& [n, v] : FPlaceholders) {
        if (n == upper) {
            v = value;
            return;
        }
    }
    FPlaceholders.emplace_back(upper, value);
}

QString TLanguageEngine::Text(const tMessage& message) {
    for (const auto& [name, value] : message.Placeholders) SetPlaceholder(name, value);
    QString text = GetMessage(message.Key);
    for (const QString& key : message.MoreKeys) text += QStringLiteral("\r\n") + GetMessage(key);
    return text;
}

bool TLanguageEngine::IsSkipped(const QString& componentName) const {
    return !FSkipPrefix.isEmpty() && componentName.startsWith(FSkipPrefix, Qt::CaseInsensitive);
}

QString TLanguageEngine::BaseName(const QString& componentName) const {
    if (FCutMarker.isEmpty()) return componentName;
    const qsizetype pos = componentName.indexOf(FCutMarker, 0, Qt::CaseInsensitive);
    return pos >= 1 ? componentName.left(pos) : componentName;
}

QString TLanguageEngine::Expand(const QString& text) const {
    QString result = FExpandLineBreaks ? ExpandLineBreaks(text) : text;
    if (FExpandPlaceholders) result = ExpandPlaceholders(result, FPlaceholders);
    return result;
}

bool TLanguageEngine::WriteTemplate(const QString& fileName, const QString& formName, int fontCharSet,
                                    const std::vector<tTemplateEntry>& entries, QString* errorText) const {
    TIniFile file(fileName.trimmed(), false);
    if (file.IsReadOnly()) {
        if (errorText) *errorText = file.WriteErrorText();
        return false;
    }
    file.WriteText(FSignatureSection, FSignatureKey, FSignatureValue);
    file.WriteNumber(kCharSetSection, kCharSetKey, fontCharSet);
    file.WriteFlag(kCharSetSection, kForcedCharSetKey, FForcedCharSet);
    if (file.ReadText(formName, kCaptionKey, kNotFoundMarker) == kNotFoundMarker)
        file.WriteText(formName, kCaptionKey, formName);
    for (const tTemplateEntry& entry : entries)
        if (file.ReadText(entry.Section, entry.Key, kNotFoundMarker) == kNotFoundMarker)
            file.WriteText(entry.Section, entry.Key, entry.Value);
    const bool ok = file.WriteBack();
    if (!ok && errorText) *errorText = file.WriteErrorText();
    return ok;
}

QString ExpandLineBreaks(const QString& text) {
    QString result = text;
    for (qsizetype i = 0; i + 1 < result.size(); ++i) {
        if (result[i] == QLatin1Char('\\') && (result[i + 1] == QLatin1Char('N') || result[i + 1] == QLatin1Char('n'))) {
            result[i] = QLatin1Char('\r');
            result[i + 1] = QLatin1Char('\n');
            ++i;
        }
    }
    return result;
}

QString ExpandPlaceholders(const QString& text, const std::vector<std::pair<QString, QString>>& placeholders) {
    QString result = text;
    for (const auto& [name, value] : placeholders) {
        if (name.isEmpty()) continue;
        qsizetype hit = result.indexOf(name, 0, Qt::CaseInsensitive);
        if (hit < 0) continue;
        // One pass: the search goes on behind each inserted value.
        QString expanded;
        expanded.reserve(result.size() + value.size());
        qsizetype from = 0;
        while (hit >= 0) {
            expanded += QStringView(result).sliced(from, hit - from);
            expanded += value;
            from = hit + name.size();
            hit = result.indexOf(name, from, Qt::CaseInsensitive);
        }
        expanded += QStringView(result).sliced(from);
        result = std::move(expanded);
    }
    return result;
}

TLanguageEngine MakeKestrovaLanguageEngine() {
    TLanguageEngine engine(kLanguageSignatureValue, kLanguageSignatureSection, kLanguageSignatureKey,
                           kLanguageMessageSection);
    engine.SetSkipPrefix(QStringLiteral("_x_"));
    engine.SetCutMarker(QStringLiteral("__"));
    engine.SetLineBreakExpansion(true);
    engine.SetPlaceholderExpansion(true);
    return engine;
}

}  // namespace kestrova
