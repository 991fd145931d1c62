// .xlsx reading: the zip container through libzip, the workbook, relations
// and shared strings through QXmlStreamReader fed in chunks, the sheets by
// the byte scanner or the XML reader (xlsx_sheet_scan.cpp, xlsx_sheet_xml.cpp).
// The files are untrusted: every part is capped in size, malformed XML fails
// the whole read, and cell positions are checked against the sheet limits.
#include "core/import/workbook_data.h"
#include "core/import/xlsx_sheet_cells.h"
#include "core/import/zip_part.h"

#include <QDir>
#include <algorithm>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>

#include <zip.h>

namespace kestrova {

namespace {

qint64 gPartLimit = 2048LL * 1024 * 1024;
// Most shared strings accepted from one workbook.
constexpr qint64 kMaxStrings = 16 * 1024 * 1024;

const QString kRelOfficeDocument = QStringLiteral("/officeDocument");
const QString kRelWorksheet = QStringLiteral("/worksheet");
const QString kRelSharedStrings = QStringLiteral("/sharedStrings");

// "r:id" and the like: the attribute with this local name in any namespace.
QString AttributeByLocalName(const QXmlStreamReader& xml, QStringView localName, bool wantPrefixed) {
    for (const auto& a : xml.attributes()) {
        if (a.name() != localName) continue;
        const bool prefixed = !a.prefix().isEmpty() || !a.namespaceUri().isEmpty();
        if (prefixed == wantPrefixed) return a.value().toString();
    }
    return {};
}

// Relationship id -> (type, target path inside the zip) of a .rels part.
struct tRelation {
    QString Type;
    QString Target;
};

bool ReadRelations(zip_t* zip, const QString& relsName, const QString& baseFolder, QHash<QString, tRelation>& out) {
    return ParsePart(zip, relsName, [&](QXmlStreamReader& xml, QXmlStreamReader::TokenType t) {
        if (t == QXmlStreamReader::StartElement && xml.name() == u"Relationship") {
            const auto attrs = xml.attributes();
            QString target = attrs.value(QLatin1String("Target")).toString();
            if (attrs.value(QLatin1String("TargetMode")) == u"External") return true;
            if (target.startsWith(QLatin1Char('/'))) target = target.mid(1);
            else target = baseFolder + target;
            target = QDir::cleanPath(target);
            out.insert(attrs.value(QLatin1String("Id")).toString(), {attrs.value(QLatin1String("Type")).toString(), target});
        }
        return true;
    });
}

QString FolderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString RelsOf(const QString& path) {
    return FolderOf(path) + QStringLiteral("_rels/") + path.mid(FolderOf(path).size()) + QStringLiteral(".rels");
}

class tXlsxReader final : public tWorkbookReader {
public:
    bool Open(const QString& fileName);
    QStringList SheetNames() const override { return Names; }
    bool ReadSheet(int index, tSheetData& sheet, std::vector<QString>& texts) override;

private:
    bool ReadSharedStrings();

    std::unique_ptr<zip_t, tZipCloser> Zip;
    QStringList Names;
    QStringList Parts;               // sheet part per sheet, empty for chart sheets
    QString SharedStringsPart;
    bool SharedRead = false;
    bool SharedOk = false;
    std::vector<QString> Shared;
    // Shared strings are copied into the workbook's text pool once; this maps
    // a shared index to its pool index.
    std::vector<int32_t> SharedInPool;
};

bool tXlsxReader::Open(const QString& fileName) {
    int err = 0;
    const QByteArray name = QFile::encodeName(fileName);
    Zip.reset(zip_open(name.constData(), ZIP_RDONLY, &err));
    if (!Zip) return false;

    // The package relations name the workbook part; xl/workbook.xml when absent.
    QString workbookPart = QStringLiteral("xl/workbook.xml");
    QHash<QString, tRelation> rootRels;
    if (ReadRelations(Zip.get(), QStringLiteral("_rels/.rels"), QString(), rootRels)) {
        for (const auto& rel : rootRels)
            if (rel.Type.endsWith(kRelOfficeDocument)) workbookPart = rel.Target;
    }
    QHash<QString, tRelation> rels;
    if (!ReadRelations(Zip.get(), RelsOf(workbookPart), FolderOf(workbookPart), rels)) return false;
    for (const auto& rel : rels)
        if (rel.Type.endsWith(kRelSharedStrings)) SharedStringsPart = rel.Target;

    bool inSheets = false;
    const bool ok = ParsePart(Zip.get(), workbookPart, [&](QXmlStreamReader& xml, QXmlStreamReader::TokenType t) {
        if (t == QXmlStreamReader::StartElement) {
            if (xml.name() == u"sheets") inSheets = true;
            else if (inSheets && xml.name() == u"sheet") {
                const QString sheetName = xml.attributes().value(QLatin1String("name")).toString();
                const QString id = AttributeByLocalName(xml, u"id", true);
                const auto rel = rels.value(id);
                Names << sheetName;
                Parts << (rel.Type.endsWith(kRelWorksheet) ? rel.Target : QString());
                if (Names.size() > 4096) return false;
            }
        } else if (t == QXmlStreamReader::EndElement && xml.name() == u"sheets") {
            inSheets = false;
        }
        return true;
    });
    return ok;
}

bool tXlsxReader::ReadSharedStrings() {
    if (SharedRead) return SharedOk;
    SharedRead = true;
    if (SharedStringsPart.isEmpty()) {
        SharedOk = true;
        return true;
    }
    // Inside <si> the visible text is every <t>, except the phonetic runs <rPh>.
    bool inItem = false;
    int phonetic = 0;
    bool inText = false;
    QString current;
    SharedOk = ParsePart(Zip.get(), SharedStringsPart, [&](QXmlStreamReader& xml, QXmlStreamReader::TokenType t) {
        switch (t) {
        case QXmlStreamReader::StartElement:
            if (xml.name() == u"si") {
                inItem = true;
                current.clear();
            } else if (xml.name() == u"rPh") {
                ++phonetic;
            } else if (inItem && phonetic == 0 && xml.name() == u"t") {
                inText = true;
            }
            break;
        case QXmlStreamReader::EndElement:
            if (xml.name() == u"si") {
                inItem = false;
                Shared.push_back(current);
                if (qint64(Shared.size()) > kMaxStrings) return false;
            } else if (xml.name() == u"rPh") {
                --phonetic;
            } else if (xml.name() == u"t") {
                inText = false;
            }
            break;
        case QXmlStreamReader::Characters:
            if (inText) {
                current += xml.text();
                if (current.size() > kMaxCellText) return false;
            }
            break;
        default: break;
        }
        return true;
    });
    SharedInPool.assign(Shared.size(), -1);
    return SharedOk;
}

bool tXlsxReader::ReadSheet(int index, tSheetData& sheet, std::vector<QString>& texts) {
    if (index < 0 || index >= Parts.size()) return false;
    if (Parts[index].isEmpty()) return true;  // a chart sheet has no cells
    if (!ReadSharedStrings()) return false;
    const size_t textsBefore = texts.size();
    const size_t rowsBefore = sheet.Rows.size();
    xlsx::tSheetSink sink(sheet, texts, Shared, SharedInPool);
    {
        tPartStream stream(Zip.get(), Parts[index]);
        if (!stream.IsOpen()) return false;
        const auto result = xlsx::ScanSheet(stream, sink);
        if (result == xlsx::tScanResult::Ok) return true;
        if (result == xlsx::tScanResult::Failed) return false;
    }
    // A part of another shape: read again from the start by the XML reader.
    texts.resize(textsBefore);
    sheet.Rows.resize(rowsBefore);
    for (auto& p : SharedInPool)
        if (p >= int32_t(textsBefore)) p = -1;
    xlsx::tSheetSink again(sheet, texts, Shared, SharedInPool);
    return xlsx::ParseSheet(Zip.get(), Parts[index], again);
}

}  // namespace

qint64 XlsxPartLimit() { return gPartLimit; }
void SetXlsxPartLimit(qint64 bytes) { gPartLimit = bytes; }

std::unique_ptr<tWorkbookReader> OpenXlsxReader(const QString& fileName) {
    auto reader = std::make_unique<tXlsxReader>();
    if (!reader->Open(fileName)) return nullptr;
    return reader;
}

}  // namespace kestrova
