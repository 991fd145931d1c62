// Keeping translated texts whole in controls of fixed width: a check box
// whose text is wider than its room breaks it into lines at blanks.
#pragma once

#include <QString>

class QAbstractButton;
class QFontMetrics;

namespace kestrova {

// Breaks text at blanks into lines no wider than width (a single word wider
// than width stays on its own line). Existing line breaks are kept.
QString WrapToWidth(const QString& text, const QFontMetrics& fm, int width);

// Sets the button's text so that the whole button is at most `width` wide.
void FitButtonText(QAbstractButton* button, const QString& text, int width);

}  // namespace kestrova
