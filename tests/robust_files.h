// Builders for the large bad inputs that are made at test time instead of
// being kept in the repository: a road table of any length, a CSV file with a
// giant cell or line, and .xlsx zip bombs written byte by byte (a fixed-Huffman
// deflate stream of back-references inflates about 160 times, so a few MB of
// file stand for gigabytes of sheet XML).
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>
#include <array>
#include <ostream>
#include <cstdint>
#include <vector>

// Readable QString values in gtest's failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace kestrova::test {

// One line of the road used throughout: record i (0-based) at 10 m steps, so
// that 200,001 records keep their positions and coordinates in range.
inline QByteArray RobustRoadHeader() {
    return "RecordNumber;Position;RoadCathegory;TrafficIntensity;Cars;Trucks;Buses;VehicleTrains;CurveRadius;"
           "LongitudinalTilt;SlicknessValue;Clearance;IsLocality;IsSocialActivity;"
           "-1;;;0;;;109;;;112;;;116;;;123;;;127;;;130;;\r\n";
}

inline QByteArray RobustRoadLine(qint64 i, const QByteArray& position = QByteArray()) {
    static const std::array<std::pair<double, double>, 8> kp = {
        {{-20, -1}, {0, 0}, {-10, -0.5}, {-7, -0.2}, {-3.75, 0}, {3.75, 0}, {7, -0.2}, {10, -0.5}}};
    QByteArray line = QByteArray::number(i + 1) + ';' + (position.isNull() ? QByteArray::number(10 * i) : position) +
                      ";II;5000;0.6;0.2;0.1;0.1;;0.01;0.4;;0;0";
    const QByteArray x = QByteArray::number(1000 + 10 * i);
    for (const auto& [off, h] : kp)
        line += ';' + x + ';' + QByteArray::number(2000 + off) + ';' + QByteArray::number(100 + h);
    return line + "\r\n";
}

inline bool WriteRoadCsv(const QString& path, qint64 records) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QByteArray buf = RobustRoadHeader();
    for (qint64 i = 0; i < records; ++i) {
        buf += RobustRoadLine(i);
        if (buf.size() > (1 << 20)) {
            if (f.write(buf) != buf.size()) return false;
            buf.clear();
        }
    }
    return f.write(buf) == buf.size();
}

// True in the sanitizer build, where the largest cases are skipped as too
// slow: the build sets KESTROVA_SANITIZE_BUILD for its test run, and a
// compiler that reports AddressSanitizer is believed too.
inline bool SanitizeBuild() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return qEnvironmentVariableIsSet("KESTROVA_SANITIZE_BUILD");
}

// --- zip writing -----------------------------------------------------------

inline uint32_t Crc32(const QByteArray& data) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (char ch : data) c = table[(c ^ uint8_t(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// Bits of a deflate stream, least significant first.
class tBitWriter {
public:
    void Put(uint32_t value, int bits) {
        for (int i = 0; i < bits; ++i) {
            if (Used == 0) Bytes.append('\0');
            if ((value >> i) & 1) Bytes.data()[Bytes.size() - 1] |= char(1 << Used);
            Used = (Used + 1) % 8;
        }
    }
    // A Huffman code goes out most significant bit first.
    void PutCode(uint32_t code, int bits) {
        for (int i = bits - 1; i >= 0; --i) Put((code >> i) & 1, 1);
    }
    void Literal(uint8_t c) {
        if (c < 144) PutCode(0x30 + c, 8);
        else PutCode(0x190 + (c - 144), 9);
    }
    QByteArray Bytes;

private:
    int Used = 0;
};

// A raw deflate stream that inflates to prefix, then repeats * 258 + 1 copies
// of fill, then suffix. Returns the inflated size in inflated.
inline QByteArray BombDeflate(const QByteArray& prefix, char fill, qint64 repeats, const QByteArray& suffix,
                              qint64& inflated) {
    tBitWriter w;
    w.Bytes.reserve(int(repeats * 13 / 8 + prefix.size() + suffix.size() + 16));
    w.Put(1, 1);  // last block
    w.Put(1, 2);  // fixed Huffman codes
    for (char c : prefix) w.Literal(uint8_t(c));
    w.Literal(uint8_t(fill));
    for (qint64 i = 0; i < repeats; ++i) {
        w.PutCode(0xC5, 8);  // length 258 (code 285)
        w.PutCode(0, 5);     // distance 1
    }
    for (char c : suffix) w.Literal(uint8_t(c));
    w.PutCode(0, 7);  // end of block
    inflated = prefix.size() + 1 + repeats * 258 + suffix.size();
    return w.Bytes;
}

struct tZipEntry {
    QByteArray Name;
    QByteArray Data;         // stored as is (method 0) or raw deflate (method 8)
    uint16_t Method = 0;
    uint32_t Crc = 0;
    uint32_t Size = 0;       // the uncompressed size the headers announce
};

inline tZipEntry StoredEntry(const QByteArray& name, const QByteArray& data) {
    return {name, data, 0, Crc32(data), uint32_t(data.size())};
}

inline QByteArray ZipBytes(const std::vector<tZipEntry>& entries) {
    auto u16 = [](QByteArray& b, uint32_t v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    auto u32 = [&](QByteArray& b, uint32_t v) {
        u16(b, v & 0xFFFF);
        u16(b, v >> 16);
    };
    QByteArray out, central;
    for (const auto& e : entries) {
        const uint32_t offset = uint32_t(out.size());
        u32(out, 0x04034b50);
        u16(out, 20);
        u16(out, 0);
        u16(out, e.Method);
        u16(out, 0);
        u16(out, 0x5C21);  // a fixed date
        u32(out, e.Crc);
        u32(out, uint32_t(e.Data.size()));
        u32(out, e.Size);
        u16(out, uint32_t(e.Name.size()));
        u16(out, 0);
        out += e.Name;
        out += e.Data;
        u32(central, 0x02014b50);
        u16(central, 20);
        u16(central, 20);
        u16(central, 0);
        u16(central, e.Method);
        u16(central, 0);
        u16(central, 0x5C21);
        u32(central, e.Crc);
        u32(central, uint32_t(e.Data.size()));
        u32(central, e.Size);
        u16(central, uint32_t(e.Name.size()));
        u16(central, 0);
        u16(central, 0);
        u16(central, 0);
        u16(central, 0);
        u32(central, 0);
        u32(central, offset);
        central += e.Name;
    }
    const uint32_t centralOffset = uint32_t(out.size());
    out += central;
    u32(out, 0x06054b50);
    u16(out, 0);
    u16(out, 0);
    u16(out, uint32_t(entries.size()));
    u16(out, uint32_t(entries.size()));
    u32(out, uint32_t(central.size()));
    u32(out, centralOffset);
    u16(out, 0);
    return out;
}

// An .xlsx whose one sheet part inflates to about inflatedGoal bytes of blanks
// inside <sheetData>. announcedSize < 0 tells the true size in the headers;
// otherwise the headers claim announcedSize.
inline QByteArray XlsxBomb(qint64 inflatedGoal, qint64 announcedSize) {
    std::vector<tZipEntry> e;
    e.push_back(StoredEntry("[Content_Types].xml",
                            "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                            "content-types\"><Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>"));
    e.push_back(StoredEntry("_rels/.rels",
                            "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/"
                            "2006/relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/"
                            "officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
                            "</Relationships>"));
    e.push_back(StoredEntry("xl/_rels/workbook.xml.rels",
                            "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/"
                            "2006/relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/"
                            "officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                            "</Relationships>"));
    e.push_back(StoredEntry("xl/workbook.xml",
                            "<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/"
                            "2006/main\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                            "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"));
    const QByteArray prefix =
        "<?xml version=\"1.0\"?><worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<sheetData>";
    const QByteArray suffix = "</sheetData></worksheet>";
    qint64 inflated = 0;
    const qint64 repeats = (inflatedGoal - prefix.size() - suffix.size()) / 258;
    tZipEntry sheet;
    sheet.Name = "xl/worksheets/sheet1.xml";
    sheet.Data = BombDeflate(prefix, ' ', repeats, suffix, inflated);
    sheet.Method = 8;
    sheet.Crc = 0;  // never reached: the part is refused long before its end
    sheet.Size = uint32_t(announcedSize < 0 ? std::min<qint64>(inflated, 0xFFFFFFFFLL) : announcedSize);
    e.push_back(sheet);
    return ZipBytes(e);
}

}  // namespace kestrova::test
