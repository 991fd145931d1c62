// .xls (BIFF) reading through libfreexl.
#include "core/import/workbook_data.h"
#include "core/import/xls_container_check.h"

#include <QFile>

#include <freexl.h>

namespace kestrova {

namespace {

class tXlsReader final : public tWorkbookReader {
public:
    ~tXlsReader() override {
        if (Handle) freexl_close(Handle);
    }
    bool Open(const QString& fileName);
    QStringList SheetNames() const override { return Names; }
    bool ReadSheet(int index, tSheetData& sheet, std::vector<QString>& texts) override;

private:
    const void* Handle = nullptr;
    QStringList Names;
};

bool tXlsReader::Open(const QString& fileName) {
    // libfreexl reads past its own buffers on some broken workbooks: those
    // never reach it. A file that is no compound file is the library's to
    // judge (it also reads the older BIFF2-4 worksheets kept as bare streams).
    const tXlsContainerCheck check = CheckXlsContainer(fileName);
    if (check != tXlsContainerCheck::Sound && check != tXlsContainerCheck::NotCompoundFile) return false;
    const QByteArray name = QFile::encodeName(fileName);
    if (freexl_open(name.constData(), &Handle) != FREEXL_OK) {
        if (Handle) freexl_close(Handle);
        Handle = nullptr;
        return false;
    }
    unsigned int count = 0;
    if (freexl_get_info(Handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) return false;
    if (count > 4096) return false;
    for (unsigned int i = 0; i < count; ++i) {
        const char* sheetName = nullptr;
        if (freexl_get_worksheet_name(Handle, (unsigned short)i, &sheetName) != FREEXL_OK) return false;
        Names << QString::fromUtf8(sheetName ? sheetName : "");
    }
    return true;
}

bool tXlsReader::ReadSheet(int index, tSheetData& sheet, std::vector<QString>& texts) {
    if (index < 0 || index >= Names.size()) return false;
    if (freexl_select_active_worksheet(Handle, (unsigned short)index) != FREEXL_OK) return false;
    unsigned int rows = 0;
    unsigned short cols = 0;
    if (freexl_worksheet_dimensions(Handle, &rows, &cols) != FREEXL_OK) return false;
    if (rows > unsigned(kMaxSheetRows) || cols > kMaxSheetCols) return false;
    for (unsigned int r = 0; r < rows; ++r) {
        tSheetRow row{int(r + 1), {}};
        for (unsigned short c = 0; c < cols; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(Handle, r, c, &v) != FREEXL_OK) return false;
            tSheetCell cell;
            cell.Col = uint16_t(c + 1);
            switch (v.type) {
            case FREEXL_CELL_INT:
                cell.Kind = tCellKind::Number;
                cell.Number = v.value.int_value;
                break;
            case FREEXL_CELL_DOUBLE:
                cell.Kind = tCellKind::Number;
                cell.Number = v.value.double_value;
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME: {
                QString text = QString::fromUtf8(v.value.text_value ? v.value.text_value : "");
                if (text.isEmpty()) continue;
                if (text.size() > kMaxCellText) return false;
                cell.Kind = tCellKind::Text;
                cell.Text = int32_t(texts.size());
                texts.push_back(std::move(text));
                break;
            }
            default: continue;
            }
            row.Cells.push_back(cell);
        }
        if (!row.Cells.empty()) sheet.Rows.push_back(std::move(row));
    }
    return true;
}

}  // namespace

std::unique_ptr<tWorkbookReader> OpenXlsReader(const QString& fileName) {
    auto reader = std::make_unique<tXlsReader>();
    if (!reader->Open(fileName)) return nullptr;
    return reader;
}

}  // namespace kestrova
