// What an import hands back to the window or the batch program: success with
// the number of loaded records, or the one message that stopped it.
#pragma once

#include <QString>
#include <utility>
#include <vector>

namespace kestrova {

// The message that ended an import: a key of the "Messages" section, the key
// of a reason text (for "LoadData.IncorrectCellValue"; empty when there is
// none) and every placeholder the import set, in the order it set them.
// "%FileName%" is among them as soon as a source was opened.
struct tImportFailure {
    QString Key;
    QString ReasonKey;
    std::vector<std::pair<QString, QString>> Placeholders;

    // Sets a placeholder, replacing an earlier value of the same name.
    void Set(const QString& name, const QString& value) {
        for (auto& [n, v] : Placeholders)
            if (n == name) {
                v = value;
                return;
            }
        Placeholders.emplace_back(name, value);
    }
    QString Placeholder(const QString& name) const {
        for (const auto& [n, v] : Placeholders)
            if (n == name) return v;
        return {};
    }
    bool Has(const QString& name) const {
        for (const auto& p : Placeholders)
            if (p.first == name) return true;
        return false;
    }
};

// Where the crossroads or vegetation/buildings table comes from.
enum class tSheetChoice {
    SeparateFile,  // sheet 1 of the group's own file
    SecondSheet,   // sheet 2 of the road data file
    ThirdSheet,    // sheet 3 of the road data file
};

inline int SheetNumber(tSheetChoice choice) {
    switch (choice) {
    case tSheetChoice::SecondSheet: return 2;
    case tSheetChoice::ThirdSheet: return 3;
    default: return 1;
    }
}

struct tImportResult {
    bool Success = false;
    int Count = 0;               // profiles, crossroads or objects loaded
    bool FromCsv = false;        // the source was a CSV file (no second or third sheet)
    int Sheet = 1;               // sheet number read (1 to 3)
    QString FileName;            // the file name as opened (trimmed, without quotes)
    tImportFailure Failure;      // Key is empty on success
};

}  // namespace kestrova
