// The language engine: owns the chosen language file and turns message keys
// into display text, with line breaks ("\n" written as backslash and N) and
// placeholders ("%FileName%") expanded. The widget side (translating a window's
// components by name) lives with the window; this part knows no widgets.
#pragma once

#include "core/util/ini_file.h"
#include "core/model/message.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace kestrova {

inline const QString kLanguageSignatureValue = QStringLiteral("Kestrova Language File");
inline const QString kLanguageSignatureSection = QStringLiteral("Language");
inline const QString kLanguageSignatureKey = QStringLiteral("Signature");
inline const QString kLanguageMessageSection = QStringLiteral("Messages");
inline const QString kLanguageNotLoaded = QStringLiteral("Language not loaded.");
// Default of component lookups that tells "no entry" from any real text.
inline const QString kNotFoundMarker = QStringLiteral("~oFfLiNe~");

// One entry a language template should hold: section, key and the value
// written when the entry is missing.
struct tTemplateEntry {
    QString Section;
    QString Key;
    QString Value;
};

class TLanguageEngine {
public:
    TLanguageEngine(const QString& signatureValue, const QString& signatureSection, const QString& signatureKey,
                    const QString& messageSection);
    ~TLanguageEngine();
    TLanguageEngine(TLanguageEngine&&) noexcept;
    TLanguageEngine& operator=(TLanguageEngine&&) noexcept;

    void SetSkipPrefix(const QString& prefix);
    void SetCutMarker(const QString& marker);
    void SetLineBreakExpansion(bool on) { FExpandLineBreaks = on; }
    void SetPlaceholderExpansion(bool on) { FExpandPlaceholders = on; }

    // True when the file exists, was read completely and carries the
    // signature; otherwise no language is loaded afterwards.
    bool LoadLanguage(const QString& path);
    bool IsLoaded() const { return !FFileName.isEmpty(); }
    const QString& LoadedFileName() const { return FFileName; }

    // Value of key in the message section, expanded; the key itself when it is
    // missing; "Language not loaded." when no language is loaded.
    QString GetMessage(const QString& key) const;
    QString GetSectionText(const QString& section, const QString& key) const;
    // The same with a chosen default and a choice of expansion; used for
    // component captions (which fall back to their base name).
    QString ReadEntry(const QString& section, const QString& key, const QString& defaultValue, bool expand) const;

    void SetPlaceholder(const QString& name, const QString& value);
    // Sets the message's placeholders and looks its key up.
    QString Text(const tMessage& message);

    // Character set from the language file: forced only when "CharSet" lies
    // in 0 to 255 and "ForcedUseCharSet" is set.
    bool ForcedCharSet() const { return FForcedCharSet; }
    int CharSet() const { return FCharSet; }

    const QString& SkipPrefix() const { return FSkipPrefix; }
    const QString& CutMarker() const { return FCutMarker; }
    // Component names: skipped when they begin with the skip prefix (any
    // letter case); the base name is cut before the first cut marker found at
    // position 2 or later.
    bool IsSkipped(const QString& componentName) const;
    QString BaseName(const QString& componentName) const;

    // Line-break and placeholder expansion as switched on.
    QString Expand(const QString& text) const;

    // Adds the missing entries to a language file: the signature, the
    // character set, the form's "Caption" (formName), then every entry of the
    // list not yet present. Present entries are not touched. Returns false
    // when the file cannot be written; errorText then says why.
    bool WriteTemplate(const QString& fileName, const QString& formName, int fontCharSet,
                       const std::vector<tTemplateEntry>& entries, QString* errorText = nullptr) const;

private:
    QString FSignatureValue, FSignatureSection, FSignatureKey, FMessageSection;
    QString FSkipPrefix = QStringLiteral("OFF_");
    QString FCutMarker = QStringLiteral("___");
    bool FExpandLineBreaks = false;
    bool FExpandPlaceholders = false;
    bool FForcedCharSet = false;
    int FCharSet = -1;
    QString FFileName;
    std::unique_ptr<TIniFile> FFile;
    std::vector<std::pair<QString, QString>> FPlaceholders;  // upper-cased names, unique
};

// Replaces every backslash followed by N (either case) by CR LF.
QString ExpandLineBreaks(const QString& text);
// Replaces each placeholder name (case-insensitive) by its value, pair by pair
// in table order; a value is never searched again by its own pair, so a value
// that holds its own name cannot make the expansion run on.
QString ExpandPlaceholders(const QString& text, const std::vector<std::pair<QString, QString>>& placeholders);

// The engine as the main window sets it up: the Kestrova signature, skip
// prefix "_x_", cut marker "__", both expansions on.
TLanguageEngine MakeKestrovaLanguageEngine();

}  // namespace kestrova
