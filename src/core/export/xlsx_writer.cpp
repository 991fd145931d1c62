#include "core/export/xlsx_writer.h"

#include "core/util/file_replace.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <xlsxwriter.h>

namespace kestrova {

QString WorkbookCellText(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('\r'), QLatin1Char(' '));
    t.remove(QLatin1Char('\n'));
    return t;
}

QString WorkbookSheetName(const QString& name) { return name.left(31); }

tXlsxResult WriteXlsxTextSheet(const QString& fileName, const QString& sheetName, int rowCount, int colCount,
                               const std::function<QString(int, int)>& cell, const std::function<void(int)>& progress) {
    const QString target = QFileInfo(fileName).absoluteFilePath();
    // A temporary name in the target's folder, so that the rename is one step.
    const QString temp = CreateTemporaryBeside(target, QStringLiteral(".xlsx"));
    if (temp.isEmpty()) return tXlsxResult::CannotCreate;
    const QByteArray tempName = QFile::encodeName(temp);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = nullptr;
    lxw_workbook* book = workbook_new_opt(tempName.constData(), &options);
    if (!book) {
        QFile::remove(temp);
        return tXlsxResult::CannotCreate;
    }
    const QByteArray sheetUtf8 = WorkbookSheetName(sheetName).toUtf8();
    if (workbook_validate_sheet_name(book, sheetUtf8.constData()) != LXW_NO_ERROR) {
        workbook_close(book);
        QFile::remove(temp);
        return tXlsxResult::BadSheetName;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book, sheetUtf8.constData());
    if (!sheet) {
        workbook_close(book);
        QFile::remove(temp);
        return tXlsxResult::CannotCreate;
    }
    tXlsxResult result = tXlsxResult::Ok;
    for (int r = 0; r < rowCount && result == tXlsxResult::Ok; ++r) {
        if (progress) progress(r);
        for (int c = 0; c < colCount; ++c) {
            const QString text = WorkbookCellText(cell(r, c));
            if (text.isEmpty()) continue;
            const QByteArray utf8 = text.toUtf8();
            if (worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c), utf8.constData(),
                                       nullptr) != LXW_NO_ERROR) {
                result = tXlsxResult::WriteFailed;
                break;
            }
        }
    }
    if (workbook_close(book) != LXW_NO_ERROR) {
        QFile::remove(temp);
        return result == tXlsxResult::Ok ? tXlsxResult::CloseFailed : result;
    }
    if (result != tXlsxResult::Ok) {
        QFile::remove(temp);
        return result;
    }
    // Removing the old file first would lose it when the rename then fails.
    if (!ReplaceFile(temp, target)) {
        QFile::remove(temp);
        return tXlsxResult::CloseFailed;
    }
    return tXlsxResult::Ok;
}

}  // namespace kestrova
