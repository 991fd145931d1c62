// The application's own ini-style file: read whole into memory when created,
// looked up case-insensitively with a cache that makes sequential reads cheap,
// and written back whole, through a temporary file, when destroyed after a change.
//
// Line syntax as read: lines split at every run of CR/LF, trimmed; empty lines,
// one-character lines and lines starting with ";" are ignored; "[name]" opens a
// section (each occurrence its own section, "[]" opens nothing); other lines
// with "=" belong to the last section; the name is the text before the first
// "=". Files are decoded as UTF-8 when valid, else as Windows-1251, and written
// as UTF-8.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

namespace kestrova {

class TIniFile {
public:
    // Reads the file. Unless readOnly is asked, the file is opened (or created)
    // for writing to prove that changes can be saved; when that fails the
    // object turns read-only and changes are silently dropped.
    TIniFile(const QString& fileName, bool readOnly);
    ~TIniFile();  // WriteBack

    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    QString ReadText(const QString& section, const QString& key, const QString& defaultValue) const;
    int ReadNumber(const QString& section, const QString& key, int defaultValue) const;
    bool ReadFlag(const QString& section, const QString& key, bool defaultValue) const;

    void WriteText(const QString& section, const QString& key, const QString& value);
    void WriteNumber(const QString& section, const QString& key, int value);
    void WriteFlag(const QString& section, const QString& key, bool value);

    // Erases the first section of that name: it is neither found nor written
    // any more; a later write to the name appends a new section at the end.
    void DropSection(const QString& section);

    // Writes the file when it was changed and can be written. Returns false
    // only when a write was due and failed; the previous file is then left
    // untouched (it is replaced in one step, never deleted first). Run by the
    // destructor; callers that want to report failures call it themselves.
    bool WriteBack();

    bool IsLoaded() const { return FLoaded; }
    bool IsReadOnly() const { return FReadOnly; }
    bool IsModified() const { return FModified; }
    const QString& FileName() const { return FFileName; }

    // Set after a failed WriteBack: "Write error to file " and the file name,
    // for the window to show. The core itself never shows anything.
    bool WriteFailed() const { return FWriteFailed; }
    QString WriteErrorText() const;
    // Called with WriteErrorText() when the write-back in the destructor fails.
    std::function<void(const QString& errorText)> OnWriteError;

    // Every entry as (section name, trimmed entry name), in file order.
    std::vector<std::pair<QString, QString>> Entries() const;

    // The written form of the sections, as WriteBack puts it into the file.
    QByteArray Serialize() const;

    // Replaces target by source in one step (the target need not exist).
    // Portable: also replaces an existing file on Windows.
    static bool ReplaceFile(const QString& source, const QString& target);
    // "~tmpini.tmp" in folder, with one more "~" in front while the name is taken.
    static QString TemporaryName(const QString& folder);

private:
    struct tSection {
        QString Name;
        std::vector<QString> Lines;  // "name=value" as read, trimmed
        // Upper-cased trimmed names -> line indices, built on first read.
        mutable QHash<QString, std::vector<int>> ReadIndex;
        mutable bool ReadIndexBuilt = false;
    };

    void Parse(const QString& text);
    int FindSectionForRead(const QString& upperSection) const;
    int FindSectionFirst(const QString& upperSection) const;
    int AppendSection(const QString& name);
    void BuildSectionIndex() const;
    static void IndexLine(const tSection& section, int lineIndex);

    QString FFileName;
    std::vector<tSection> FSections;
    // Upper-cased section names -> section indices, built on first lookup.
    mutable QHash<QString, std::vector<int>> FSectionIndex;
    mutable bool FSectionIndexBuilt = false;
    mutable int FCachedSection = 0;
    mutable int FCachedLine = 0;
    bool FReadOnly = false;
    bool FLoaded = false;
    bool FModified = false;
    bool FWriteFailed = false;
};

// "Write error to file " and the file name: what the user is shown when a
// settings file cannot be written.
QString WriteErrorText(const QString& fileName);

// Trims blanks and control characters (code 32 and below) at both ends.
QString TrimControl(QStringView text);

}  // namespace kestrova
