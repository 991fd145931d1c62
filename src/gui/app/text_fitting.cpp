#include "gui/app/text_fitting.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QStringList>

namespace kestrova {

QString WrapToWidth(const QString& text, const QFontMetrics& fm, int width) {
    QStringList out;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && fm.horizontalAdvance(longer) > width) {
                out << line;
                line = word;
            } else {
                line = longer;
            }
        }
        out << line;
    }
    return out.join(QLatin1Char('\n'));
}

void FitButtonText(QAbstractButton* button, const QString& text, int width) {
    const QString plain = QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
    button->setText(plain);
    const int whole = button->sizeHint().width();
    if (whole <= width) return;
    // The indicator and spacing take what the text does not.
    const QFontMetrics fm(button->font());
    const int room = width - (whole - fm.horizontalAdvance(plain));
    button->setText(WrapToWidth(plain, fm, std::max(1, room)));
}

}  // namespace kestrova
