#include "core/util/ini_file.h"

#include "core/util/file_replace.h"

#include "core/util/text_decoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <system_error>

namespace kestrova {

namespace {

// Larger files are not settings or language files; they are refused rather
// than read into memory.
constexpr qint64 kMaxFileSize = 256LL * 1024 * 1024;

const QString kTempName = QStringLiteral("~tmpini.tmp");

bool IsControlOrBlank(QChar c) { return c.unicode() <= 0x20; }

// First index in the sorted list that is at or behind start; else the first.
int FirstFrom(const std::vector<int>& indices, int start) {
    if (indices.empty()) return -1;
    auto it = std::lower_bound(indices.begin(), indices.end(), start);
    return it != indices.end() ? *it : indices.front();
}

QString ReadName(const QString& line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return TrimControl(QStringView(line).left(eq < 0 ? line.size() : eq)).toUpper();
}

// CR and LF inside a written name or value would split the line on the next
// read (and could inject entries), so they become blanks.
QString OneLine(const QString& text) {
    if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n'))) return text;
    QString result = text;
    for (QChar& c : result)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) c = QLatin1Char(' ');
    return result;
}

}  // namespace

QString TrimControl(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsControlOrBlank(text[begin])) ++begin;
    while (end > begin && IsControlOrBlank(text[end - 1])) --end;
    return text.sliced(begin, end - begin).toString();
}

TIniFile::TIniFile(const QString& fileName, bool readOnly) : FFileName(fileName), FReadOnly(readOnly) {
    QFile file(fileName);
    if (QFileInfo::exists(fileName)) {
        bool opened = !readOnly && file.open(QIODevice::ReadWrite);
        if (!opened) {
            FReadOnly = true;
            opened = file.open(QIODevice::ReadOnly);
        }
        if (!opened) return;  // no content, not loaded
    } else {
        // Creating the file proves that it can be written later.
        if (readOnly || !file.open(QIODevice::ReadWrite | QIODevice::NewOnly)) {
            FReadOnly = true;
            return;
        }
    }

    // A file whose content cannot be had must never be overwritten by the
    // little that this object would hold: it turns read-only.
    const qint64 size = file.size();
    if (size > kMaxFileSize) {
        FReadOnly = true;
        return;
    }
    const QByteArray content = size > 0 ? file.read(size) : QByteArray();
    file.close();
    if (size == 0) {
        // An empty file (also the one just made to test writing) is not kept.
        // A file opened read-only is the user's and stays.
        if (!FReadOnly) QFile::remove(fileName);
        FLoaded = true;
        return;
    }
    if (content.size() != size) {  // incomplete read: empty, not loaded
        FReadOnly = true;
        return;
    }
    FLoaded = true;
    Parse(DecodeFileText(content));
}

TIniFile::~TIniFile() {
    if (!WriteBack() && OnWriteError) OnWriteError(WriteErrorText());
}

void TIniFile::Parse(const QString& text) {
    const QStringView all(text);
    const qsizetype n = all.size();
    tSection* current = nullptr;
    qsizetype pos = 0;
    while (pos < n) {
        while (pos < n && (all[pos] == QLatin1Char('\r') || all[pos] == QLatin1Char('\n'))) ++pos;
        qsizetype end = pos;
        while (end < n && all[end] != QLatin1Char('\r') && all[end] != QLatin1Char('\n')) ++end;
        if (end == pos) break;
        const QString line = TrimControl(all.sliced(pos, end - pos));
        pos = end;

        if (line.size() <= 1 || line.startsWith(QLatin1Char(';'))) continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString name = line.mid(1, line.size() - 2);
            if (!name.isEmpty()) {
                FSections.push_back(tSection{name, {}, {}, false});
                current = &FSections.back();
            }
            continue;
        }
        if (current && line.contains(QLatin1Char('='))) current->Lines.push_back(line);
    }
}

void TIniFile::BuildSectionIndex() const {
    if (FSectionIndexBuilt) return;
    FSectionIndex.clear();
    for (int i = 0; i < static_cast<int>(FSections.size()); ++i)
        if (!FSections[i].Name.isEmpty()) FSectionIndex[FSections[i].Name.toUpper()].push_back(i);
    FSectionIndexBuilt = true;
}

void TIniFile::IndexLine(const tSection& section, int lineIndex) {
    section.ReadIndex[ReadName(section.Lines[lineIndex])].push_back(lineIndex);
}

int TIniFile::FindSectionForRead(const QString& upperSection) const {
    BuildSectionIndex();
    const auto it = FSectionIndex.constFind(upperSection);
    if (it == FSectionIndex.constEnd()) return -1;
    const int start = FCachedSection < static_cast<int>(FSections.size()) ? FCachedSection : 0;
    return FirstFrom(*it, start);
}

int TIniFile::FindSectionFirst(const QString& upperSection) const {
    BuildSectionIndex();
    const auto it = FSectionIndex.constFind(upperSection);
    return it == FSectionIndex.constEnd() || it->empty() ? -1 : it->front();
}

int TIniFile::AppendSection(const QString& name) {
    FSections.push_back(tSection{name, {}, {}, false});
    const int index = static_cast<int>(FSections.size()) - 1;
    if (FSectionIndexBuilt && !name.isEmpty()) FSectionIndex[name.toUpper()].push_back(index);
    return index;
}

QString TIniFile::ReadText(const QString& section, const QString& key, const QString& defaultValue) const {
    if (FSections.empty()) return defaultValue;
    const int si = FindSectionForRead(section.toUpper());
    if (si < 0) return defaultValue;
    if (si != FCachedSection) {
        FCachedSection = si;
        FCachedLine = 0;
    }
    const tSection& sec = FSections[si];
    if (!sec.ReadIndexBuilt) {
        sec.ReadIndex.clear();
        for (int i = 0; i < static_cast<int>(sec.Lines.size()); ++i) IndexLine(sec, i);
        sec.ReadIndexBuilt = true;
    }
    const auto it = sec.ReadIndex.constFind(key.toUpper());
    if (it == sec.ReadIndex.constEnd()) return defaultValue;
    const int start = FCachedLine < static_cast<int>(sec.Lines.size()) ? FCachedLine : 0;
    const int li = FirstFrom(*it, start);
    if (li < 0) return defaultValue;
    FCachedLine = li;
    const QString& line = sec.Lines[li];
    return TrimControl(QStringView(line).sliced(line.indexOf(QLatin1Char('=')) + 1));
}

int TIniFile::ReadNumber(const QString& section, const QString& key, int defaultValue) const {
    const QString text = TrimControl(ReadText(section, key, QString()));
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : defaultValue;
}

bool TIniFile::ReadFlag(const QString& section, const QString& key, bool defaultValue) const {
    return ReadNumber(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteText(const QString& section, const QString& key, const QString& value) {
    FModified = true;
    const QString sectionName = OneLine(section);
    const QString keyText = OneLine(key);
    const QString valueText = OneLine(value);
    int si = FindSectionFirst(sectionName.toUpper());
    if (si < 0) si = AppendSection(sectionName);
    tSection& sec = FSections[si];

    // The name is compared as it stands in the file (not trimmed).
    const QString upperKey = keyText.toUpper();
    for (QString& line : sec.Lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (QStringView(line).left(eq).toString().toUpper() == upperKey) {
            line = line.left(eq + 1) + valueText;
            return;
        }
    }
    sec.Lines.push_back(keyText + QLatin1Char('=') + valueText);
    if (sec.ReadIndexBuilt) IndexLine(sec, static_cast<int>(sec.Lines.size()) - 1);
}

void TIniFile::WriteNumber(const QString& section, const QString& key, int value) {
    WriteText(section, key, QString::number(value));
}

void TIniFile::WriteFlag(const QString& section, const QString& key, bool value) {
    WriteText(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::DropSection(const QString& section) {
    const QString upper = section.toUpper();
    const int si = FindSectionFirst(upper);
    if (si < 0) return;
    tSection& sec = FSections[si];
    sec.Name.clear();
    sec.Lines.clear();
    sec.ReadIndex.clear();
    sec.ReadIndexBuilt = false;
    auto& list = FSectionIndex[upper];
    list.erase(std::find(list.begin(), list.end(), si));
    if (list.empty()) FSectionIndex.remove(upper);
    FModified = true;
}

std::vector<std::pair<QString, QString>> TIniFile::Entries() const {
    std::vector<std::pair<QString, QString>> entries;
    for (const tSection& sec : FSections) {
        if (sec.Name.isEmpty()) continue;
        for (const QString& line : sec.Lines)
            entries.emplace_back(sec.Name, TrimControl(QStringView(line).left(line.indexOf(QLatin1Char('=')))));
    }
    return entries;
}

QByteArray TIniFile::Serialize() const {
    QString text;
    for (const tSection& sec : FSections) {
        if (sec.Name.isEmpty() || sec.Lines.empty()) continue;
        text += QLatin1Char('[') + sec.Name + QLatin1String("]\r\n");
        for (const QString& line : sec.Lines) text += line + QLatin1String("\r\n");
        text += QLatin1String("\r\n");
    }
    return text.toUtf8();
}

QString WriteErrorText(const QString& fileName) { return QStringLiteral("Write error to file ") + fileName; }

QString TIniFile::WriteErrorText() const { return kestrova::WriteErrorText(FFileName); }

bool TIniFile::ReplaceFile(const QString& source, const QString& target) {
    return kestrova::ReplaceFile(source, target);
}

QString TIniFile::TemporaryName(const QString& folder) {
    QString name = kTempName;
    // An older temporary file may belong to someone else: leave it alone.
    // Past the guard the name is too long for any file system and creating it fails.
    for (int guard = 0; guard < 250 && QFileInfo::exists(folder + QLatin1Char('/') + name); ++guard)
        name.prepend(QLatin1Char('~'));
    return folder + QLatin1Char('/') + name;
}

bool TIniFile::WriteBack() {
    if (FSections.empty()) FModified = false;
    if (!FModified || FReadOnly) return true;

    const QString tempPath = TemporaryName(QFileInfo(FFileName).absolutePath());

    QFile temp(tempPath);
    bool ok = temp.open(QIODevice::WriteOnly | QIODevice::NewOnly, OrdinaryFilePermissions());
    if (ok) {
        const QByteArray bytes = Serialize();
        ok = temp.write(bytes) == bytes.size();
        ok = temp.flush() && ok;
        temp.close();
        ok = ok && temp.error() == QFileDevice::NoError;
        // The old file stays untouched until the new one replaces it whole.
        ok = ok && ReplaceFile(tempPath, FFileName);
        if (!ok) QFile::remove(tempPath);
    }
    FWriteFailed = !ok;
    if (ok) FModified = false;
    return ok;
}

}  // namespace kestrova
