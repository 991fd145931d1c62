// Translation of a window's widgets by their object names, and the language
// template writer that lists them.
//
// Widget kinds and their sections (the window's object name followed by):
//   ".Hints"        tool tip of any widget whose dynamic property "showHint" is true
//   ".Labels"       QLabel text
//   ".GroupBoxes"   QGroupBox title, written with one blank on each side
//   ".RadioGroups"  radio group: a QGroupBox whose object name begins with "rg"
//                   (or whose property "radioGroup" is true); its title as a group
//                   box, and its items - the QRadioButtons inside it, in creation
//                   order - under base name + ".Item" + index. The item buttons are
//                   items, not components of their own, whatever their names.
//   ".TabControls"  QTabBar (or QTabWidget) tabs under base name + ".Tab" + index
//   ".Buttons"      QPushButton and QToolButton text
//   ".RadioButtons" QRadioButton text (outside radio groups)
//   ".CheckBoxes"   QCheckBox text
//   ".MenuItems"    QAction text (menu items)
// Objects without a name and Qt's internal ones ("qt_...") are not components.
// Fonts in Qt hold every script, so a forced character set changes nothing here.
#pragma once

#include "core/app/language_engine.h"

#include <QString>

#include <vector>

class QWidget;

namespace kestrova {

// Sets the window caption and the texts of every widget and action the window
// owns, as the language engine gives them (base names, skip prefix and the
// fallbacks of the engine).
void TranslateForm(TLanguageEngine& engine, QWidget* form);

// The entries a language file needs for the window, in the order
// TranslateForm reads them; each with its key as value.
std::vector<tTemplateEntry> TemplateEntries(const TLanguageEngine& engine, QWidget* form);

// Adds the window's missing entries to a language file. Returns false when the
// file cannot be written (errorText: "Write error to file " and its name).
bool WriteTemplate(const TLanguageEngine& engine, const QString& fileName, QWidget* form,
                   QString* errorText = nullptr);

}  // namespace kestrova
