// The report's pages: title, summary with the cause chart, diagrams, the
// not-safe, crossroads and pivot tables and the views at a boundary.
#include "render/report/report_writer.h"

#include "core/app/product.h"
#include "core/calc/pivot.h"
#include "core/model/road_text.h"
#include "render/plan_map_view.h"
#include "render/speed_profile_view.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace kestrova::report {

void TReportWriter::PaintTitlePage() {
    double y = FBody.top() + Mm(25);
    const QFont big = ReportFont(22, true);
    PaintText(QRectF(FBody.left(), y, FBody.width(), LineHeight(big) * 1.3), T("Title"), big,
              Qt::AlignHCenter | Qt::AlignVCenter);
    y += LineHeight(big) * 1.6;
    const QFont sub = ReportFont(12);
    PaintText(QRectF(FBody.left(), y, FBody.width(), LineHeight(sub) * 1.3),
              FOptions.RoadFile.isEmpty() ? QString() : QFileInfo(FOptions.RoadFile).fileName(), sub,
              Qt::AlignHCenter | Qt::AlignVCenter);
    y += Mm(25);
    const tReportFigures& f = FFigures;
    const QString none = T("NotLoaded");
    auto fileText = [&](const QString& file) { return file.isEmpty() ? none : file; };
    const QString km = f.Profiles > 0 ? FormatKmPlus(true, f.FirstKm) + QStringLiteral(" – ") +
                                            FormatKmPlus(true, f.LastKm)
                                      : QStringLiteral("–");
    std::vector<std::pair<QString, QString>> pairs = {
        {T("RoadTable"), fileText(FOptions.RoadFile.isEmpty() ? QString() : QFileInfo(FOptions.RoadFile).fileName())},
        {T("CrossRoadsTable"), fileText(FOptions.CrossRoadsFile.isEmpty()
                                            ? QString()
                                            : QFileInfo(FOptions.CrossRoadsFile).fileName())},
        {T("GreensTable"),
         fileText(FOptions.GreensFile.isEmpty() ? QString() : QFileInfo(FOptions.GreensFile).fileName())},
        {T("Date"), FDate},
        {T("Program"), ApplicationTitle()},
        {T("Profiles"), QString::number(f.Profiles)},
        {T("LengthAnalysed"), Number(f.Length, 2) + QLatin1Char(' ') + T("Metres") + QStringLiteral(" (") +
                                  Number(f.Length / 1000, 3) + QLatin1Char(' ') + T("Kilometres") +
                                  QLatin1Char(')')},
        {T("KmRange"), km},
        {T("Categories"), f.Categories.join(QStringLiteral(", "))},
        {T("Objects"), QString::number(f.Objects)},
        {T("CrossRoads"), QString::number(f.CrossRoads)},
    };
    PaintPairs(y, pairs, 11);
}

void TReportWriter::PaintCauseChart(const QRectF& area) {
    const tReportFigures& f = FFigures;
    std::vector<int> causes;
    for (int c = 0; c < 10; ++c)
        if (f.CauseLength[0][c] > 0 || f.CauseLength[1][c] > 0) causes.push_back(c);
    if (causes.empty() || f.Length <= 0) return;
    const QFont font = ReportFont(8);
    const double labelWidth = area.width() * 0.30;
    const double barLeft = area.left() + labelWidth + Mm(6);
    const double barSpace = area.right() - barLeft - Mm(16);
    const double legend = LineHeight(font) * 1.6;
    // Legend: the two directions' colours.
    double lx = barLeft;
    for (int d = 0; d < 2; ++d) {
        FPainter.setPen(Qt::NoPen);
        FPainter.setBrush(d == 0 ? kOverviewMinFwd : kOverviewMinRev);
        FPainter.drawRect(QRectF(lx, area.top() + legend * 0.25, Mm(5), legend * 0.5));
        PaintText(QRectF(lx + Mm(6), area.top(), Mm(45), legend), DirectionText(d), font,
                  Qt::AlignLeft | Qt::AlignVCenter);
        lx += Mm(50);
    }
    const double rowHeight = std::min((area.height() - legend) / double(causes.size()), Mm(11));
    double y = area.top() + legend;
    for (int c : causes) {
        FPainter.setPen(Qt::NoPen);
        FPainter.setBrush(CauseColor(c));
        FPainter.drawRect(QRectF(area.left() + labelWidth + Mm(1), y + rowHeight * 0.2, Mm(4), rowHeight * 0.6));
        PaintText(QRectF(area.left(), y, labelWidth, rowHeight), CauseText(c), font, Qt::AlignRight | Qt::AlignVCenter);
        for (int d = 0; d < 2; ++d) {
            const double share = f.CauseLength[d][c] / f.Length;
            const double top = y + rowHeight * (0.1 + 0.4 * d);
            FPainter.setPen(Qt::NoPen);
            FPainter.setBrush(d == 0 ? kOverviewMinFwd : kOverviewMinRev);
            FPainter.drawRect(QRectF(barLeft, top, std::max(barSpace * share, Mm(0.2)), rowHeight * 0.38));
            PaintText(QRectF(barLeft + barSpace * share + Mm(1), top, Mm(16), rowHeight * 0.38),
                      Number(100 * share, 1) + QStringLiteral(" %"), ReportFont(6.5), Qt::AlignLeft | Qt::AlignVCenter);
        }
        y += rowHeight;
    }
    FPainter.setPen(QPen(kGridLine, Mm(0.2)));
    FPainter.drawLine(QPointF(barLeft, area.top() + legend), QPointF(barLeft, y));
    FPainter.setBrush(Qt::NoBrush);
}

void TReportWriter::PaintSummary() {
    const tReportFigures& f = FFigures;
    double y = PaintTitle(T("Summary"), FBody.top());
    std::vector<std::pair<QString, QString>> pairs = {
        {T("Segments"), QString::number(f.Segments)},
        {T("Boundaries"), QString::number(f.Boundaries)},
        {T("NotSafeFwd"), QString::number(f.NotSafe[0]) + QStringLiteral(" (") + Share(f.NotSafe[0], f.Boundaries) +
                              QLatin1Char(')')},
        {T("NotSafeRev"), QString::number(f.NotSafe[1]) + QStringLiteral(" (") + Share(f.NotSafe[1], f.Boundaries) +
                              QLatin1Char(')')},
        {T("CrossRoadsNV"), QString::number(f.NotVisible.size())},
        {T("CrossRoadsSkip"), QString::number(f.Skipped.size())},
    };
    y = PaintPairs(y, pairs, 10) + Mm(4);

    y = PaintTitle(T("LengthByCause"), y);
    std::vector<int> causes;
    for (int c = 0; c < 10; ++c)
        if (f.CauseLength[0][c] > 0 || f.CauseLength[1][c] > 0) causes.push_back(c);
    const QString m = QLatin1Char(' ') + T("Metres");
    std::vector<tColumn> columns = {{T("Cause"), 2.2, Qt::AlignLeft},
                                    {T("DirFwd") + QStringLiteral(", ") + T("Metres"), 1, Qt::AlignRight},
                                    {T("DirFwd") + QStringLiteral(", %"), 0.8, Qt::AlignRight},
                                    {T("DirRev") + QStringLiteral(", ") + T("Metres"), 1, Qt::AlignRight},
                                    {T("DirRev") + QStringLiteral(", %"), 0.8, Qt::AlignRight}};
    const int rows = int(causes.size()) + 1;
    y = PaintTable(
            y, columns, 1, 9,
            [&](int r, int c) -> QString {
                const bool total = r == rows - 1;
                if (c == 0) return total ? T("Total") : CauseText(causes[size_t(r)]);
                const int d = (c - 1) / 2;
                double len = 0;
                if (total)
                    for (int k = 0; k < 10; ++k) len += f.CauseLength[d][k];
                else
                    len = f.CauseLength[d][causes[size_t(r)]];
                if ((c - 1) % 2 == 0) return Number(len, 2);
                return f.Length > 0 ? Number(100 * len / f.Length, 1) : QStringLiteral("–");
            },
            0, rows, [&](int r, int) { return r == rows - 1 ? kHeaderFill : QColor(); }) +
        Mm(5);

    const double chartHeight = std::min(Mm(85), FBody.bottom() - y - Mm(30));
    PaintCauseChart(QRectF(FBody.left(), y, FBody.width(), chartHeight));
    y += chartHeight + Mm(4);

    // The crossroads marked "NV" and "SKIP" by name, as far as the page holds them.
    const QFont font = ReportFont(9);
    const double lh = LineHeight(font) * 1.35;
    auto names = [&](const QString& label, const QStringList& list) {
        if (y + lh > FBody.bottom()) return;
        QString text = label + QStringLiteral(": ") + (list.isEmpty() ? T("None") : list.join(QStringLiteral(", ")));
        const QFontMetricsF metrics(font, &FWriter);
        const QRectF rect(FBody.left(), y, FBody.width(), FBody.bottom() - y);
        const QRectF used = metrics.boundingRect(rect, Qt::TextWordWrap, text);
        FPainter.setFont(font);
        FPainter.setPen(Qt::black);
        FPainter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        y += std::min(used.height(), rect.height()) + lh * 0.4;
    };
    names(T("CrossRoadsNV"), f.NotVisible);
    names(T("CrossRoadsSkip"), f.Skipped);
}

void TReportWriter::PaintDiagram(int page) {
    const double per = FOptions.MetresPerPage;
    const double from = FDiagramStart + page * per;
    const double to = from + per;
    double y = PaintTitle(T("Diagram")
                              .replace(QStringLiteral("%From%"), FormatKmPlus(false, from))
                              .replace(QStringLiteral("%To%"), FormatKmPlus(false, to)),
                          FBody.top());
    const double space = FBody.bottom() - y;
    const QRect profileArea = QRectF(FBody.left(), y, FBody.width(), space * 0.52).toAlignedRect();
    const QRect mapArea = QRectF(FBody.left(), y + space * 0.54, FBody.width(), space * 0.46).toAlignedRect();

    tSpeedProfileOptions so;
    so.Range = {from, to};
    so.MaxSpeed = FTopSpeed;
    so.FontPointSize = 7;
    so.Texts = FOverviewTexts;
    FPainter.save();
    PaintSpeedProfile(FPainter, profileArea, FModel, so);
    FPainter.restore();

    tPlanMapOptions mo;
    mo.Range = {from, to};
    mo.SpeedScaleMin = FMinSpeed;
    mo.SpeedScaleMax = FMaxSpeed;
    mo.FontPointSize = 7;
    mo.LineWidth = 5;
    mo.Texts = FOverviewTexts;
    FPainter.save();
    FPainter.setClipRect(mapArea);
    PaintPlanMap(FPainter, mapArea, FModel, mo);
    FPainter.restore();
    FPainter.setPen(QPen(kGridLine, Mm(0.2)));
    FPainter.setBrush(Qt::NoBrush);
    FPainter.drawRect(mapArea);
}

void TReportWriter::PaintNotSafe(const tPagePlan& plan) {
    double y = PaintTitle(T("NotSafeTable"), FBody.top());
    if (plan.Count == 0) {
        PaintText(QRectF(FBody.left(), y, FBody.width(), Mm(8)), T("NoNotSafe"), ReportFont(10),
                  Qt::AlignLeft | Qt::AlignVCenter);
        return;
    }
    std::vector<tColumn> columns = {{T("KmPlus"), 1.2},    {T("Direction"), 1.1},  {T("SpeedBefore"), 1},
                                    {T("SpeedAfter"), 1},  {T("FailRate"), 1},     {T("BoundRate"), 1},
                                    {T("Cause"), 1.9, Qt::AlignLeft}};
    PaintTable(
        y, columns, 2, 8,
        [&](int r, int c) -> QString {
            const tNotSafeBoundary& b = FBoundaries[size_t(r)];
            switch (c) {
                case 0: return b.KmPlus;
                case 1: return DirectionText(b.Direction);
                case 2: return b.SpeedBefore;
                case 3: return b.SpeedAfter;
                case 4: return b.FailRate;
                case 5: return b.BoundRate;
                default: return b.Cause;
            }
        },
        plan.First, plan.Count);
}

void TReportWriter::PaintCrossRoads(const tPagePlan& plan) {
    double y = PaintTitle(T("CrossRoadsList"), FBody.top());
    if (plan.Count == 0) {
        PaintText(QRectF(FBody.left(), y, FBody.width(), Mm(8)), T("NoCrossRoads"), ReportFont(10),
                  Qt::AlignLeft | Qt::AlignVCenter);
        return;
    }
    const auto& header = FCrossList.Rows.front();
    std::vector<tColumn> columns = {{QStringLiteral("№"), 0.4},
                                    {OneLine(header[0]), 1.2},
                                    {OneLine(header[1]), 3, Qt::AlignLeft},
                                    {T("Mark"), 0.8}};
    PaintTable(
        y, columns, 1, 8,
        [&](int r, int c) -> QString {
            const auto& row = FCrossList.Rows[size_t(r) + 1];
            switch (c) {
                case 0: return QString::number(r + 1);
                case 1: return row[0];
                case 2: return row[1].trimmed();
                default: return row[2];
            }
        },
        plan.First, plan.Count,
        [&](int r, int c) {
            return c == 3 && FCrossList.Rows[size_t(r) + 1][2] == kCrossRoadNotVisibleText ? kNotSafeFill : QColor();
        });
}

void TReportWriter::PaintPivot(const tPagePlan& plan) {
    double y = PaintTitle(T("Appendix"), FBody.top());
    static const double weights[14] = {0.45, 1.05, 1.05, 0.55, 0.65, 1.65, 0.8, 0.8, 1, 0.65, 1.65, 0.8, 0.8, 1};
    std::vector<tColumn> columns;
    const auto& headers = FGridLanguage.Headers[int(tGridId::PivotData)];
    for (int c = 0; c < 14; ++c)
        columns.push_back({c < int(headers.size()) ? OneLine(headers[size_t(c)]) : QString(), weights[c]});
    const tPivotData& pivot = FModel.Pivot;
    PaintTable(
        y, columns, 3, 6, [&](int r, int c) { return OneLine(CellText(tGridId::PivotData, FSource, r + 1, c)); },
        plan.First, plan.Count, [&](int r, int c) {
            const tPivotRow& row = pivot.Rows[size_t(r)];
            if ((c == 8 && row.ResumeFwd == VerdictNotSafe) || (c == 13 && row.ResumeRev == VerdictNotSafe))
                return kNotSafeFill;
            return QColor();
        });
}

void TReportWriter::PaintViews(int index) {
    const tNotSafeBoundary& b = FBoundaries[size_t(index)];
    double y = PaintTitle(T("ViewsAt")
                              .replace(QStringLiteral("%KmPlus%"), b.KmPlus)
                              .replace(QStringLiteral("%Direction%"), DirectionText(b.Direction)),
                          FBody.top());
    const double space = (FBody.bottom() - y) / 3;
    const char* captions[3] = {"ViewForward", "ViewBackward", "ViewCross"};
    const tViewKind kinds[3] = {tViewKind::Forward, tViewKind::Backward, tViewKind::CrossProfile};
    const QFont font = ReportFont(9, true);
    const double lh = LineHeight(font) * 1.3;
    for (int i = 0; i < 3; ++i) {
        const double top = y + i * space;
        PaintText(QRectF(FBody.left(), top, FBody.width(), lh), T(captions[i]), font, Qt::AlignLeft | Qt::AlignVCenter);
        tViewOptions o;
        o.View = kinds[i];
        o.Profile = b.Profile;
        o.Target.Size = QSize(960, 500);
        o.Target.PixelsPerInch = 96;
        o.Texts = FOptions.ViewTexts;
        if (kinds[i] == tViewKind::CrossProfile)
            DrawCrossProfile(FModel, o, FProfileData, FViewImage);
        else
            DrawRoadView(FModel, o, F3D, F2D, FViewImage);
        const QRectF box(FBody.left(), top + lh, FBody.width(), space - lh - Mm(3));
        if (FViewImage.isNull()) continue;
        const QSizeF size = QSizeF(FViewImage.size()).scaled(box.size(), Qt::KeepAspectRatio);
        const QRectF target(box.left() + (box.width() - size.width()) / 2, box.top(), size.width(), size.height());
        FPainter.drawImage(target, FViewImage);
        FPainter.setPen(QPen(kGridLine, Mm(0.2)));
        FPainter.setBrush(Qt::NoBrush);
        FPainter.drawRect(target);
    }
}

}  // namespace kestrova::report
