// A message as the core hands it to the window or the batch program: a key of
// the language file's "Messages" section and the placeholder values it needs.
// The receiver sets the placeholders and looks the key up.
#pragma once

#include <QString>
#include <utility>
#include <vector>

namespace kestrova {

struct tMessage {
    QString Key;
    std::vector<std::pair<QString, QString>> Placeholders;  // names with their percent signs
    // Keys whose texts follow the first one, each after a line break (CR LF),
    // with the same placeholders; for message boxes that add a second line.
    std::vector<QString> MoreKeys;

    tMessage() = default;
    explicit tMessage(QString key) : Key(std::move(key)) {}
    tMessage& With(const QString& name, const QString& value) {
        Placeholders.emplace_back(name, value);
        return *this;
    }
    tMessage& Then(const QString& key) {
        MoreKeys.push_back(key);
        return *this;
    }
    QString Placeholder(const QString& name) const {
        for (const auto& [n, v] : Placeholders)
            if (n == name) return v;
        return {};
    }
};

}  // namespace kestrova
