// The report writer's page plan and its layout primitives: fonts, texts
// shrunk to their cells, the page frame, titles, tables and label pairs.
#include "render/report/report_writer.h"

#include "core/model/road_text.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace kestrova::report {

QFont ReportFont(double points, bool bold) {
    QFont font(FontFamily());
    font.setPointSizeF(points);
    // No ligatures: the document's words stay searchable and copyable as typed.
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setBold(bold);
    return font;
}

QString OneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.simplified();
}


void TReportWriter::ComputeScales() {
    const TMPlan& plan = FModel.Plan;
    const double per = FOptions.MetresPerPage;
    FDiagramStart = plan.Count() > 0 ? std::floor(plan.Profiles.front().Position / per) * per : 0;
    double top = 0, lo = 1e300, hi = 0;
    for (const tPlanProfile& p : plan.Profiles) {
        top = std::max({top, p.FreeV, p.MinV[0], p.MinV[1]});
        lo = std::min({lo, p.MinV[0], p.MinV[1]});
        hi = std::max({hi, p.MinV[0], p.MinV[1]});
    }
    FTopSpeed = top > 0 ? std::ceil(top / 10) * 10 : 100;
    FMinSpeed = plan.Count() > 0 ? lo : 0;
    FMaxSpeed = plan.Count() > 0 ? std::max(hi, lo + 1) : 100;
}

void TReportWriter::AddRowPages(tPageKind kind, int rows, int perPage) {
    if (rows <= 0) {
        FPages.push_back({kind, 0, 0});
        return;
    }
    for (int first = 0; first < rows; first += perPage) FPages.push_back({kind, first, std::min(perPage, rows - first)});
}

void TReportWriter::PlanPages() {
    FPages.clear();
    FPages.push_back({tPageKind::Title, 0, 0});
    FPages.push_back({tPageKind::Summary, 0, 0});
    const int diagrams = DiagramPageCount(FModel.Plan, FOptions.MetresPerPage);
    for (int i = 0; i < diagrams; ++i) FPages.push_back({tPageKind::Diagram, i, 0});
    AddRowPages(tPageKind::NotSafe, int(FBoundaries.size()), RowsPerPage(8, 2));
    AddRowPages(tPageKind::CrossRoads, int(FCrossList.Rows.size()) - 1, RowsPerPage(8, 1));
    AddRowPages(tPageKind::Pivot, FModel.Pivot.Count(), RowsPerPage(6, 3));
    if (FOptions.Views)
        for (int i = 0; i < int(FBoundaries.size()); ++i) FPages.push_back({tPageKind::Views, i, 0});
}

void TReportWriter::PaintText(const QRectF& rect, const QString& text, const QFont& font, Qt::Alignment align,
                              const QColor& color) {
    // A text wider than its cell is drawn smaller rather than cut, so every
    // figure stays whole and readable as text.
    QFont f = font;
    const double width = QFontMetricsF(f, &FWriter).horizontalAdvance(text);
    if (width > rect.width() - Mm(1) && width > 0)
        f.setPointSizeF(std::max(f.pointSizeF() * (rect.width() - Mm(1)) / width, f.pointSizeF() * 0.45));
    FPainter.setFont(f);
    FPainter.setPen(color);
    FPainter.drawText(rect.adjusted(Mm(0.5), 0, -Mm(0.5), 0), int(align) | Qt::TextSingleLine, text);
}

void TReportWriter::PaintFrame(int index) {
    const QFont small = ReportFont(8);
    const double top = Mm(kMarginMm - 4);
    const QRectF header(FBody.left(), top, FBody.width(), Mm(5));
    const QString road = FOptions.RoadFile.isEmpty() ? QString() : QFileInfo(FOptions.RoadFile).fileName();
    PaintText(header, road, small, Qt::AlignLeft | Qt::AlignVCenter, QColor(60, 60, 60));
    PaintText(header, FDate, small, Qt::AlignRight | Qt::AlignVCenter, QColor(60, 60, 60));
    FPainter.setPen(QPen(kGridLine, Mm(0.2)));
    FPainter.drawLine(QPointF(FBody.left(), header.bottom()), QPointF(FBody.right(), header.bottom()));
    const QRectF footer(FBody.left(), Mm(kPageHeightMm - kMarginMm), FBody.width(), Mm(6));
    const QString page =
        T("Page").replace(QStringLiteral("%Page%"), QString::number(index + 1)).replace(QStringLiteral("%Pages%"),
                                                                                      QString::number(PageCount()));
    PaintText(footer, page, small, Qt::AlignHCenter | Qt::AlignVCenter, QColor(60, 60, 60));
}

double TReportWriter::PaintTitle(const QString& text, double y) {
    const QFont font = ReportFont(13, true);
    PaintText(QRectF(FBody.left(), y, FBody.width(), LineHeight(font) * 1.4), text, font,
              Qt::AlignLeft | Qt::AlignVCenter);
    return y + TitleHeight();
}

double TReportWriter::PaintTable(double y, const std::vector<tColumn>& columns, int headerLines, double points,
                                 const std::function<QString(int, int)>& cell, int first, int count,
                                 const std::function<QColor(int, int)>& fill) {
    double total = 0;
    for (const tColumn& c : columns) total += c.Weight;
    std::vector<double> x(columns.size() + 1, FBody.left());
    for (size_t i = 0; i < columns.size(); ++i) x[i + 1] = x[i] + FBody.width() * columns[i].Weight / total;
    const QFont bold = ReportFont(points, true);
    const QFont normal = ReportFont(points);
    const double hh = HeaderHeight(points, headerLines);
    FPainter.setPen(QPen(kGridLine, Mm(0.15)));
    FPainter.setBrush(kHeaderFill);
    FPainter.drawRect(QRectF(x.front(), y, x.back() - x.front(), hh));
    FPainter.setPen(Qt::black);
    for (size_t i = 0; i < columns.size(); ++i) {
        // A header is wrapped at blanks; a word wider than its column or a
        // text taller than the header row makes the font smaller.
        const QRectF rect(x[i] + Mm(0.5), y, x[i + 1] - x[i] - Mm(1), hh);
        QFont font = bold;
        for (int step = 0; step < 8; ++step) {
            const QFontMetricsF metrics(font, &FWriter);
            double widest = 0;
            for (const QString& word : columns[i].Header.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                widest = std::max(widest, metrics.horizontalAdvance(word));
            const QRectF used = metrics.boundingRect(rect, Qt::AlignCenter | Qt::TextWordWrap, columns[i].Header);
            if (widest <= rect.width() && used.height() <= rect.height()) break;
            font.setPointSizeF(font.pointSizeF() * 0.9);
        }
        FPainter.setFont(font);
        FPainter.drawText(rect, Qt::AlignCenter | Qt::TextWordWrap, columns[i].Header);
    }
    y += hh;
    const double rh = RowHeight(points);
    for (int r = first; r < first + count; ++r) {
        for (size_t c = 0; c < columns.size(); ++c) {
            const QRectF rect(x[c], y, x[c + 1] - x[c], rh);
            const QColor back = fill ? fill(r, int(c)) : QColor();
            FPainter.setPen(QPen(kGridLine, Mm(0.1)));
            FPainter.setBrush(back.isValid() ? QBrush(back) : QBrush(Qt::NoBrush));
            FPainter.drawRect(rect);
            PaintText(rect, cell(r, int(c)), normal, columns[c].Align | Qt::AlignVCenter);
        }
        y += rh;
    }
    FPainter.setBrush(Qt::NoBrush);
    return y;
}

double TReportWriter::PaintPairs(double y, const std::vector<std::pair<QString, QString>>& pairs, double points) {
    const QFont bold = ReportFont(points, true);
    const QFont normal = ReportFont(points);
    const double rh = LineHeight(normal) * 1.5;
    const double split = FBody.left() + FBody.width() * 0.45;
    for (const auto& [label, value] : pairs) {
        PaintText(QRectF(FBody.left(), y, split - FBody.left() - Mm(2), rh), label, normal,
                  Qt::AlignLeft | Qt::AlignVCenter, QColor(70, 70, 70));
        PaintText(QRectF(split, y, FBody.right() - split, rh), value, bold, Qt::AlignLeft | Qt::AlignVCenter);
        y += rh;
    }
    return y;
}

void TReportWriter::PaintPage(int index) {
    FPainter.save();
    PaintFrame(index);
    const tPagePlan& plan = FPages[size_t(index)];
    switch (plan.Kind) {
        case tPageKind::Title: PaintTitlePage(); break;
        case tPageKind::Summary: PaintSummary(); break;
        case tPageKind::Diagram: PaintDiagram(plan.First); break;
        case tPageKind::NotSafe: PaintNotSafe(plan); break;
        case tPageKind::CrossRoads: PaintCrossRoads(plan); break;
        case tPageKind::Pivot: PaintPivot(plan); break;
        case tPageKind::Views: PaintViews(plan.First); break;
    }
    FPainter.restore();
}

}  // namespace kestrova::report
