#include "render/report/safety_report.h"

#include "core/util/file_replace.h"
#include "core/app/product.h"
#include "render/report/report_writer.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace kestrova {

using report::kDpi;
using report::OneLine;
using report::TReportWriter;

tReportResult WriteSafetyReport(const QString& path, tRoadModel& model, const tReportOptions& options,
                                const tReportProgress& progress) {
    tReportResult result;
    const auto lookup = options.Lookup ? options.Lookup
                                       : tSectionLookup([](const QString&, const QString& key) { return key; });
    const QString failure = OneLine(lookup(ReportSection(), QStringLiteral("WriteError")))
                                .replace(QStringLiteral("%FileName%"), path);
    const QString temp = CreateTemporaryBeside(path, QStringLiteral(".pdf"));
    if (temp.isEmpty()) {
        result.Error = failure;
        return result;
    }
    bool ok = true;
    {
        QFile file(temp);
        ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        if (ok) {
            QPdfWriter writer(&file);
            writer.setResolution(kDpi);
            writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
            writer.setCreator(ApplicationTitle());
            writer.setTitle(OneLine(lookup(ReportSection(), QStringLiteral("Title"))) + QStringLiteral(" – ") +
                            QFileInfo(options.RoadFile).fileName());
            QPainter painter;
            ok = painter.begin(&writer);
            if (ok) {
                painter.setRenderHint(QPainter::Antialiasing);
                TReportWriter report(writer, painter, model, options);
                report.PlanPages();
                result.Pages = report.PageCount();
                for (int i = 0; i < result.Pages; ++i) {
                    if (i > 0 && !writer.newPage()) {
                        ok = false;
                        break;
                    }
                    report.PaintPage(i);
                    if (progress) progress(i + 1, result.Pages);
                }
                ok = painter.end() && ok;
            }
            ok = ok && file.flush() && file.error() == QFileDevice::NoError && file.size() > 0;
            file.close();
            ok = ok && file.error() == QFileDevice::NoError;
        }
    }
    if (!ok || !ReplaceFile(temp, path)) {
        QFile::remove(temp);
        result.Error = failure;
        result.Pages = 0;
        return result;
    }
    result.Ok = true;
    return result;
}

}  // namespace kestrova
