// The toolkit's own texts (the file dialogs' "Look in" and "File name", the
// message boxes' buttons) in the window's language: Qt's translation of its
// base module, chosen by the language file's code.
#pragma once

#include <QString>

namespace kestrova {

// The toolkit's locale name for a language file's "Code" ("UA" -> "uk",
// "RU" -> "ru"); empty for English and for codes without a translation.
QString ToolkitLocaleOfCode(const QString& code);

// Replaces the toolkit translation in use by the one for the code. Returns
// false when the code has a translation that could not be loaded (the
// toolkit then speaks English).
bool InstallToolkitTranslation(const QString& code);

}  // namespace kestrova
