#include "gui/pages/about_page.h"

#include "core/app/product.h"
#include "gui/pages/page_context.h"
#include "gui/views/image_view.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrova {

namespace {

// About texts per language code: the first is shown large, the second below it.
struct tAboutTexts {
    const char* Code;
    const char* Info1;
    const char* Info2;
};
const tAboutTexts kAbout[3] = {
    {"EN", "Speed-safety analysis of a road\\nby profiles, factors and sight distance",
     "Kestrova computes, for every road profile and both directions of travel, "
     "the speed each road factor permits, the available sight distance "
     "over terrain, vegetation and buildings, and the visibility of crossroads. "
     "The pivot table marks the segment boundaries that are not safe.\\n\\n"
     "Morvanta engineering software."},
    {"UA", "Аналіз безпеки швидкості руху\\nза профілями, чинниками та видимістю",
     "Kestrova обчислює для кожного профілю дороги та обох напрямків руху "
     "швидкість, яку дозволяє кожен чинник, відстань видимості "
     "над рельєфом, рослинністю і будівлями та видимість перехресть. "
     "Зведена таблиця позначає небезпечні межі ділянок.\\n\\n"
     "Інженерне програмне забезпечення Morvanta."},
    {"RU", "Анализ безопасности скорости движения\\nпо профилям, факторам и видимости",
     "Kestrova вычисляет для каждого профиля дороги и обоих направлений движения "
     "скорость, допустимую по каждому фактору, расстояние видимости "
     "над рельефом, растительностью и зданиями и видимость пересечений. "
     "Сводная таблица отмечает небезопасные границы участков.\\n\\n"
     "Инженерное программное обеспечение Morvanta."},
};

QString AboutText(const char* raw) {
    QString t = QString::fromUtf8(raw);
    t.replace(QStringLiteral("\\n"), QStringLiteral("\r\n"), Qt::CaseInsensitive);
    return t;
}

}  // namespace

TAboutPage::TAboutPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Panel5"));
    auto* lay = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    lay->addLayout(left, 1);
    BuildLanguageGroup(left);
    BuildDescription(left);
    BuildSplash(lay);
}

void TAboutPage::BuildLanguageGroup(QBoxLayout* column) {
    FUi.gbLanguageSelect =
        Named(new QGroupBox(QStringLiteral(" gbLanguageSelect "), this), QStringLiteral("gbLanguageSelect"));
    auto* langLay = new QHBoxLayout(FUi.gbLanguageSelect);
    FUi._x_cbLangSelect = Named(new QComboBox(FUi.gbLanguageSelect), QStringLiteral("_x_cbLangSelect"));
    FUi._x_cbLangSelect->setEditable(false);
    langLay->addWidget(FUi._x_cbLangSelect, 1);
    FUi.edLang = Named(new QLineEdit(FUi.gbLanguageSelect), QStringLiteral("edLang"));
    FUi.edLang->hide();
    FUi._x_LangCreate =
        Named(new QPushButton(QStringLiteral("Create template"), FUi.gbLanguageSelect), QStringLiteral("_x_LangCreate"));
    FUi._x_LangCreate->hide();
    FUi._x_LangCreate->setEnabled(false);
    column->addWidget(FUi.gbLanguageSelect);
    connect(FUi._x_cbLangSelect, &QComboBox::currentIndexChanged, this, [this] { emit LanguageChosen(); });
    connect(FUi._x_LangCreate, &QPushButton::clicked, this, [this] { emit TemplateRequested(); });
}

void TAboutPage::BuildDescription(QBoxLayout* column) {
    FUi._x_AboutPan = Named(new QWidget(this), QStringLiteral("_x_AboutPan"));
    auto* aboutLay = new QVBoxLayout(FUi._x_AboutPan);
    aboutLay->setContentsMargins(0, 0, 0, 0);
    FUi._x_mAboutInfo1 = Named(new QPlainTextEdit(FUi._x_AboutPan), QStringLiteral("_x_mAboutInfo1"));
    QFont big = FUi._x_mAboutInfo1->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    FUi._x_mAboutInfo1->setFont(big);
    FUi._x_mAboutInfo1->setReadOnly(true);
    FUi._x_mAboutInfo1->setMaximumHeight(110);
    FUi._x_mAboutInfo2 = Named(new QPlainTextEdit(FUi._x_AboutPan), QStringLiteral("_x_mAboutInfo2"));
    FUi._x_mAboutInfo2->setReadOnly(true);
    FUi._x_mAboutInfo2->setLineWrapMode(QPlainTextEdit::WidgetWidth);  // no sideways scrolling at any width
    aboutLay->addWidget(FUi._x_mAboutInfo1);
    aboutLay->addWidget(FUi._x_mAboutInfo2, 1);
    column->addWidget(FUi._x_AboutPan, 1);
}

void TAboutPage::BuildSplash(QBoxLayout* row) {
    FUi._splashPan = Named(new QWidget(this), QStringLiteral("_splashPan"));
    auto* splashLay = new QVBoxLayout(FUi._splashPan);
    FUi._splash = new TImageView(QStringLiteral("_splash"), FUi._splashPan);
    FUi._splash->setFixedSize(274, 394);
    FUi._splash->SetPicture(QImage(QStringLiteral(":/splash.png")));
    FUi._x_AppName = Named(new QLabel(kProductName, FUi._splashPan), QStringLiteral("_x_AppName"));
    QFont nameFont = FUi._x_AppName->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    FUi._x_AppName->setFont(nameFont);
    FUi._x_AppName->setStyleSheet(QStringLiteral("color: rgb(0,0,255);"));
    FUi._x_AppName->setAlignment(Qt::AlignCenter);
    FUi._x_AppVersion = Named(new QLabel(kAboutVersionText, FUi._splashPan), QStringLiteral("_x_AppVersion"));
    FUi._x_AppVersion->setAlignment(Qt::AlignCenter);
    splashLay->addWidget(FUi._splash, 0, Qt::AlignHCenter);
    splashLay->addWidget(FUi._x_AppName);
    splashLay->addWidget(FUi._x_AppVersion);
    splashLay->addStretch(1);
    row->addWidget(FUi._splashPan);
}

QString TAboutPage::ShowAbout(const QString& languageCode) {
    QString code = languageCode;
    if (code != QStringLiteral("EN") && code != QStringLiteral("UA") && code != QStringLiteral("RU")) code = QStringLiteral("UA");
    FUi._x_AppName->setText(kProductName);
    FUi._x_AppVersion->setText(kAboutVersionText);
    for (const tAboutTexts& t : kAbout)
        if (code == QLatin1String(t.Code)) {
            FUi._x_mAboutInfo1->setPlainText(AboutText(t.Info1));
            FUi._x_mAboutInfo2->setPlainText(AboutText(t.Info2));
        }
    return code;
}

}  // namespace kestrova
