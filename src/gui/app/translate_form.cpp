#include "gui/app/translate_form.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QWidget>

#include <functional>

namespace kestrova {

namespace {

const QString kCaption = QStringLiteral("Caption");

bool IsRadioGroup(const QObject* object) {
    const auto* box = qobject_cast<const QGroupBox*>(object);
    return box && (box->objectName().startsWith(QLatin1String("rg")) || box->property("radioGroup").toBool());
}

QList<QRadioButton*> RadioItems(QGroupBox* group) {
    return group->findChildren<QRadioButton*>();  // depth first, creation order
}

// Radio buttons of a radio group and the bar of a tab widget are handled with
// their owner; Qt's own helper objects are not components.
bool IsComponent(const QObject* object) {
    const QString name = object->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) return false;
    if (qobject_cast<const QRadioButton*>(object)) {
        for (const QObject* p = object->parent(); p; p = p->parent())
            if (IsRadioGroup(p)) return false;
    }
    if (qobject_cast<const QTabBar*>(object) && qobject_cast<const QTabWidget*>(object->parent())) return false;
    // A tab bar's scroll buttons are its own parts.
    if (qobject_cast<const QTabBar*>(object->parent())) return false;
    return true;
}

QList<QObject*> Components(QWidget* form) {
    QList<QObject*> result;
    for (QObject* object : form->findChildren<QObject*>())
        if (IsComponent(object)) result.append(object);
    return result;
}

// One rule applied to one component: the section suffix, the key, the
// fallback when the entry is missing, whether expansions apply, and where the
// text goes.
struct tEntry {
    QString Suffix;
    QString Key;
    QString Fallback;
    bool Expand;
    std::function<void(const QString&)> Apply;
};

void TabEntries(QObject* object, const QString& base, std::vector<tEntry>& entries) {
    QTabBar* bar = qobject_cast<QTabBar*>(object);
    QTabWidget* widget = qobject_cast<QTabWidget*>(object);
    const int count = bar ? bar->count() : widget ? widget->count() : 0;
    for (int i = 0; i < count; ++i) {
        const QString key = base + QStringLiteral(".Tab") + QString::number(i);
        entries.push_back({QStringLiteral(".TabControls"), key, key, false, [bar, widget, i](const QString& t) {
                               if (bar) bar->setTabText(i, t);
                               else widget->setTabText(i, t);
                           }});
    }
}

// The rules of a component in the order they apply.
std::vector<tEntry> EntriesOf(QObject* object, const QString& base) {
    std::vector<tEntry> entries;
    QWidget* widget = qobject_cast<QWidget*>(object);
    if (widget && widget->property("showHint").toBool())
        entries.push_back({QStringLiteral(".Hints"), base, base, true, [widget](const QString& t) { widget->setToolTip(t); }});

    if (auto* label = qobject_cast<QLabel*>(object)) {
        entries.push_back({QStringLiteral(".Labels"), base, base, true, [label](const QString& t) { label->setText(t); }});
    } else if (auto* box = qobject_cast<QGroupBox*>(object)) {
        const auto title = [box](const QString& t) { box->setTitle(QLatin1Char(' ') + t + QLatin1Char(' ')); };
        if (!IsRadioGroup(box)) {
            entries.push_back({QStringLiteral(".GroupBoxes"), base, base, false, title});
        } else {
            entries.push_back({QStringLiteral(".RadioGroups"), base, base, false, title});
            const QList<QRadioButton*> items = RadioItems(box);
            for (int i = 0; i < items.size(); ++i) {
                const QString key = base + QStringLiteral(".Item") + QString::number(i);
                QRadioButton* item = items[i];
                entries.push_back({QStringLiteral(".RadioGroups"), key, key, false,
                                   [item](const QString& t) { item->setText(t); }});
            }
        }
    } else if (qobject_cast<QTabBar*>(object) || qobject_cast<QTabWidget*>(object)) {
        TabEntries(object, base, entries);
    } else if (auto* radio = qobject_cast<QRadioButton*>(object)) {
        entries.push_back({QStringLiteral(".RadioButtons"), base, base, false, [radio](const QString& t) { radio->setText(t); }});
    } else if (auto* check = qobject_cast<QCheckBox*>(object)) {
        entries.push_back({QStringLiteral(".CheckBoxes"), base, base, false, [check](const QString& t) { check->setText(t); }});
    } else if (qobject_cast<QPushButton*>(object) || qobject_cast<QToolButton*>(object)) {
        auto* button = qobject_cast<QAbstractButton*>(object);
        entries.push_back({QStringLiteral(".Buttons"), base, base, false, [button](const QString& t) { button->setText(t); }});
    } else if (auto* action = qobject_cast<QAction*>(object)) {
        entries.push_back({QStringLiteral(".MenuItems"), base, base, false, [action](const QString& t) { action->setText(t); }});
    }
    return entries;
}

}  // namespace

void TranslateForm(TLanguageEngine& engine, QWidget* form) {
    if (!form) return;
    const QList<QObject*> components = Components(form);
    if (components.isEmpty()) return;
    const QString formName = form->objectName();

    const QString caption = engine.ReadEntry(formName, kCaption, kNotFoundMarker, false);
    if (caption != kNotFoundMarker) form->setWindowTitle(caption);

    for (QObject* object : components) {
        const QString name = object->objectName();
        if (engine.IsSkipped(name)) continue;
        const QString base = engine.BaseName(name);
        for (const tEntry& entry : EntriesOf(object, base)) {
            const QString text = engine.ReadEntry(formName + entry.Suffix, entry.Key, kNotFoundMarker, entry.Expand);
            entry.Apply(text == kNotFoundMarker ? entry.Fallback : text);
        }
    }
}

std::vector<tTemplateEntry> TemplateEntries(const TLanguageEngine& engine, QWidget* form) {
    std::vector<tTemplateEntry> result;
    if (!form) return result;
    const QString formName = form->objectName();
    for (QObject* object : Components(form)) {
        const QString name = object->objectName();
        if (engine.IsSkipped(name)) continue;
        for (const tEntry& entry : EntriesOf(object, engine.BaseName(name)))
            result.push_back({formName + entry.Suffix, entry.Key, entry.Key});
    }
    return result;
}

bool WriteTemplate(const TLanguageEngine& engine, const QString& fileName, QWidget* form, QString* errorText) {
    if (!form || Components(form).isEmpty()) return true;
    // Qt fonts carry no character set; 1 is the "default" set of the file format.
    constexpr int kDefaultCharSet = 1;
    return engine.WriteTemplate(fileName, form->objectName(), kDefaultCharSet, TemplateEntries(engine, form), errorText);
}

}  // namespace kestrova
