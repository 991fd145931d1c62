// A workbook held in memory: sheet names in workbook order and, once read,
// the cells of each sheet. The file-format readers (.xlsx, .xls) fill it; TExcel
// serves cells from it.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

namespace kestrova {

enum class tCellKind : uint8_t { Empty = 0, Number = 1, Text = 2 };

// One stored cell. Texts live in the workbook's text pool, so a cell stays
// small however many cells a sheet has.
struct tSheetCell {
    double Number = 0;
    int32_t Text = -1;     // index into tWorkbookData::Texts
    uint16_t Col = 0;      // 1-based column
    tCellKind Kind = tCellKind::Empty;
};

struct tSheetRow {
    int32_t Row = 0;                  // 1-based row number
    std::vector<tSheetCell> Cells;    // ordered by column
};

struct tSheetData {
    std::vector<tSheetRow> Rows;      // ordered by row number

    const tSheetCell* Find(int row, int col) const;
    // Puts the rows and cells in order after a reader appended them as the file had them.
    void Normalise();
};

// Sheet limits of the spreadsheet formats; cells beyond them are malformed.
constexpr int kMaxSheetRows = 1048576;
constexpr int kMaxSheetCols = 16384;
// Longest cell text the spreadsheet formats allow.
constexpr int kMaxCellText = 32767;

// Largest decompressed size accepted for one part of an .xlsx file. The
// default is far beyond any real road table and small enough that a zip bomb
// is rejected before it fills the memory; tests lower it.
qint64 XlsxPartLimit();
void SetXlsxPartLimit(qint64 bytes);

// A file-format reader: knows the sheet names and reads one sheet on demand.
class tWorkbookReader {
public:
    virtual ~tWorkbookReader() = default;
    virtual QStringList SheetNames() const = 0;
    // Reads sheet index (0-based) into sheet, appending its texts to texts.
    virtual bool ReadSheet(int index, tSheetData& sheet, std::vector<QString>& texts) = 0;
};

// Opens a workbook file, choosing the format from the file's first bytes (a
// zip package is an .xlsx workbook when it has one, else an .ods spreadsheet).
// Returns null when the file is not a readable workbook.
std::unique_ptr<tWorkbookReader> OpenWorkbookReader(const QString& fileName);
std::unique_ptr<tWorkbookReader> OpenXlsxReader(const QString& fileName);
std::unique_ptr<tWorkbookReader> OpenXlsReader(const QString& fileName);
std::unique_ptr<tWorkbookReader> OpenOdsReader(const QString& fileName);

// A value as spreadsheet files store numbers: short ASCII text, an optional
// "+", then what std::from_chars reads in general format. Anything else fails.
constexpr qsizetype kPlainNumberMax = 63;
bool PlainNumber(QStringView text, double& v);

// The text a user sees for a number: up to 15 significant digits, "." as the
// separator, no trailing zeros.
QString NumberCellText(double value);
// The same text as bytes into buffer (at least kNumberTextBytes); returns its length.
constexpr size_t kNumberTextBytes = 40;
size_t NumberCellBytes(double value, char* buffer);

}  // namespace kestrova
