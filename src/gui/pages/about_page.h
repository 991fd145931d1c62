// The about page: the language list and the program's description beside
// the splash picture with its name and version.
#pragma once

#include <QWidget>

class QBoxLayout;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kestrova {

class TImageView;

class TAboutPage final : public QWidget {
    Q_OBJECT
public:
    // The controls, by the names the language and settings files use.
    struct tUi {
        QGroupBox* gbLanguageSelect = nullptr;
        QComboBox* _x_cbLangSelect = nullptr;
        QLineEdit* edLang = nullptr;  // the chosen language, kept in the settings
        QPushButton* _x_LangCreate = nullptr;
        QWidget* _x_AboutPan = nullptr;
        QPlainTextEdit* _x_mAboutInfo1 = nullptr;
        QPlainTextEdit* _x_mAboutInfo2 = nullptr;
        QWidget* _splashPan = nullptr;
        TImageView* _splash = nullptr;  // a picture, not a label: translation leaves it alone
        QLabel* _x_AppName = nullptr;
        QLabel* _x_AppVersion = nullptr;
    };

    explicit TAboutPage(QWidget* parent);
    const tUi& Ui() const { return FUi; }

    // Name, version and the description in a language ("EN", "UA" or "RU";
    // any other code gets "UA", which the returned code then says).
    QString ShowAbout(const QString& languageCode);

signals:
    void LanguageChosen();     // another entry of the language list
    void TemplateRequested();  // the hidden template button

private:
    void BuildLanguageGroup(QBoxLayout* column);
    void BuildDescription(QBoxLayout* column);
    void BuildSplash(QBoxLayout* row);

    tUi FUi;
};

}  // namespace kestrova
