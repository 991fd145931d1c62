// Builds small .xlsx packages part by part, so that tests can give the reader
// exactly the XML a spreadsheet program (or an attacker) would write.
#pragma once

#include <QFile>
#include <QString>
#include <utility>
#include <vector>
#include <zip.h>

namespace kestrova::test {

using tParts = std::vector<std::pair<QString, QByteArray>>;

inline bool WriteZip(const QString& path, const tParts& parts) {
    QFile::remove(path);
    int err = 0;
    const QByteArray name = QFile::encodeName(path);
    zip_t* z = zip_open(name.constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) return false;
    for (const auto& [partName, bytes] : parts) {
        // libzip reads the buffer at close time, so it gets its own copy.
        void* copy = malloc(size_t(bytes.size()) + 1);
        memcpy(copy, bytes.constData(), size_t(bytes.size()));
        zip_source_t* src = zip_source_buffer(z, copy, zip_uint64_t(bytes.size()), 1);
        if (!src || zip_file_add(z, partName.toUtf8().constData(), src, ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(src);
            zip_discard(z);
            return false;
        }
    }
    return zip_close(z) == 0;
}

inline QByteArray WorkbookXml(const QStringList& sheetNames) {
    QByteArray x =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>";
    for (int i = 0; i < sheetNames.size(); ++i)
        x += "<sheet name=\"" + sheetNames[i].toUtf8() + "\" sheetId=\"" + QByteArray::number(i + 1) +
             "\" r:id=\"rId" + QByteArray::number(i + 1) + "\"/>";
    return x + "</sheets></workbook>";
}

// Relations of the workbook: sheet i (1-based) lives in sheetParts[i-1].
inline QByteArray WorkbookRels(const QStringList& sheetParts, bool sharedStrings) {
    QByteArray x =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (int i = 0; i < sheetParts.size(); ++i)
        x += "<Relationship Id=\"rId" + QByteArray::number(i + 1) +
             "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"" +
             sheetParts[i].toUtf8() + "\"/>";
    if (sharedStrings)
        x += "<Relationship Id=\"rIdS\" "
             "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
             "Target=\"sharedStrings.xml\"/>";
    return x + "</Relationships>";
}

inline QByteArray SheetXml(const QByteArray& rows) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" +
           rows + "</sheetData></worksheet>";
}

inline QByteArray SharedStringsXml(const QByteArray& items) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
           items + "</sst>";
}

// A one-sheet package around the given sheet rows (and shared strings).
inline tParts OneSheetPackage(const QByteArray& rows, const QByteArray& sharedItems = {}) {
    tParts parts = {{"xl/workbook.xml", WorkbookXml({"Sheet1"})},
                    {"xl/_rels/workbook.xml.rels", WorkbookRels({"worksheets/sheet1.xml"}, !sharedItems.isEmpty())},
                    {"xl/worksheets/sheet1.xml", SheetXml(rows)}};
    if (!sharedItems.isEmpty()) parts.push_back({"xl/sharedStrings.xml", SharedStringsXml(sharedItems)});
    return parts;
}

}  // namespace kestrova::test
