// TExcel: the workbook behind the source reader and the workbook export.
// Reading works on .xlsx and .xls files held in memory (each sheet is read once,
// when first selected); a new workbook (empty file name) is built in memory and
// can be saved as .xlsx. Every operation records failures in one error code
// instead of throwing; most operations do nothing while a code is pending.
#pragma once

#include "core/import/workbook_data.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace kestrova {

class TExcel {
public:
    enum tErrorCode : int {
        NoError = 0,
        NoExcelOpen = 1,
        FileNotLoaded = 2,
        NoDataRead = 3,
        NoDataWrite = 4,
        SheetNotFound = 5,
        BookNotCreated = 6,
        xlsUnassigned = 127,
    };

    // How a workbook is put in front of the user (the window opens it in the
    // desktop's spreadsheet program). Returns success. Without a hook showing
    // fails quietly with NoExcelOpen.
    using tShowHook = std::function<bool(TExcel& book)>;
    static void SetShowHook(tShowHook hook);

    // Create: a non-empty name opens that workbook (FileNotLoaded when it
    // cannot be read), an empty one starts a new workbook with one sheet.
    explicit TExcel(const QString& fileName);
    ~TExcel();
    TExcel(const TExcel&) = delete;
    TExcel& operator=(const TExcel&) = delete;

    bool SelectSheet(const QString& name);
    QString SheetName(int index) const;
    int SheetCount() const;
    int CurrentSheet() const { return Current; }

    QString GetCell(int row, int col);
    // The number of a cell GetCell would serve as a number's text; false
    // (nothing changed) when the cell is anything else or GetCell must tell.
    bool PeekNumber(int row, int col, double& value);
    bool SetCell(int row, int col, const QString& text);

    void StartBlock(int firstRow, int firstCol, int rows, int cols);
    bool ReadBlock();
    bool WriteBlock();
    void ClearBlock();

    int AddSheet();
    bool RenameSheet(const QString& oldName, const QString& newName);

    bool ShowApplication();
    void Release(bool show);
    int LastError();

    // The workbook file: the opened one, or where a new workbook was last saved.
    QString FileName() const { return File; }
    // Writes the workbook as .xlsx (texts that are plain numbers as numbers)
    // through a temporary file renamed into place.
    bool SaveAs(const QString& fileName);
    // Highest used row and column of the current sheet (0 when empty).
    int UsedRows() const;
    int UsedCols() const;

private:
    struct tBlock {
        bool Active = false;
        int Sheet = -1;
        int FirstRow = 0, FirstCol = 0, Rows = 0, Cols = 0;
        std::vector<QString> Cells;  // written cells, rows x cols
        bool Covers(int sheet, int row, int col) const {
            return Active && sheet == Sheet && row >= FirstRow && row < FirstRow + Rows &&
                   col >= FirstCol && col < FirstCol + Cols;
        }
    };

    bool Pending() const { return Error != NoError; }
    bool LoadSheet(int index);
    QString CellText(const tSheetData& sheet, int row, int col) const;
    void StoreCell(int sheet, int row, int col, const QString& text);
    void ReloadNames(const QString& keepName);

    QString File;
    int Error = NoError;
    int Current = -1;
    std::unique_ptr<tWorkbookReader> Reader;
    QStringList Names;
    std::vector<std::unique_ptr<tSheetData>> Sheets;  // per sheet, null until read
    std::vector<QString> Texts;
    tBlock Block;
};

}  // namespace kestrova
