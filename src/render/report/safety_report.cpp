#include "report/safety_report.h"

#include "util/file_replace.h"
#include "app/product.h"
#include "calc/crossroads_list.h"
#include "calc/pivot.h"
#include "cross_profile_view.h"
#include "model/road_text.h"
#include "overview_common.h"
#include "plan_map_view.h"
#include "road_view.h"
#include "speed_profile_view.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace kestrova {

namespace {

// Device units per inch of the pages; fonts are given in points and follow it.
constexpr int kDpi = 200;
constexpr double kPageWidthMm = 210;
constexpr double kPageHeightMm = 297;
constexpr double kMarginMm = 15;
const QColor kHeaderFill(225, 225, 225);
const QColor kNotSafeFill(255, 111, 111);
const QColor kGridLine(150, 150, 150);

double Mm(double mm) { return mm * kDpi / 25.4; }

QString FontFamily() { return QStringLiteral("DejaVu Sans"); }

QFont ReportFont(double points, bool bold = false) {
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

enum class tPageKind { Title, Summary, Diagram, NotSafe, CrossRoads, Pivot, Views };

struct tPagePlan {
    tPageKind Kind = tPageKind::Title;
    int First = 0;  // first row, diagram page or boundary
    int Count = 0;  // rows on the page
};

struct tColumn {
    QString Header;
    double Weight = 1;
    Qt::Alignment Align = Qt::AlignCenter;
};

class TReportWriter {
public:
    TReportWriter(QPdfWriter& writer, QPainter& painter, tRoadModel& model, const tReportOptions& options)
        : FWriter(writer), FPainter(painter), FModel(model), FOptions(options) {
        FillHeaderTexts(FGridLanguage, Lookup());
        FillCauseTexts(FGridLanguage, Lookup());
        FSource.Plan = &model.Plan;
        FSource.Pivot = &model.Pivot;
        FSource.Language = &FGridLanguage;
        FSource.DecimalSeparator = options.DecimalSeparator;
        FFigures = ReportFigures(model);
        FBoundaries = NotSafeBoundaries(model, FSource);
        FCrossList = BuildCrossRoadsList(model.CrossRoads, Lookup());
        FOverviewTexts = OverviewTextsFrom(Lookup());
        FDate = (options.Created.isValid() ? options.Created : QDateTime::currentDateTime())
                    .toString(QStringLiteral("yyyy-MM-dd"));
        FBody = QRectF(Mm(kMarginMm), Mm(kMarginMm + 6), Mm(kPageWidthMm - 2 * kMarginMm),
                       Mm(kPageHeightMm - 2 * kMarginMm - 12));
        ComputeScales();
    }

    void PlanPages();
    int PageCount() const { return int(FPages.size()); }
    void PaintPage(int index);

private:
    tSectionLookup Lookup() const {
        if (FOptions.Lookup) return FOptions.Lookup;
        return [](const QString&, const QString& key) { return key; };
    }
    QString T(const char* key) const { return OneLine(Lookup()(ReportSection(), QString::fromLatin1(key))); }
    QString T(const char* key, const QString& name, const QString& value) const {
        return T(key).replace(name, value);
    }
    QString CauseText(int cause) const {
        if (cause == 0) return T("FreeSpeed");
        if (cause < 0 || cause > 9) return QString();
        return OneLine(FGridLanguage.Causes[cause]);
    }
    QString DirectionText(int direction) const { return direction == 0 ? T("DirFwd") : T("DirRev"); }
    QString Number(double v, int decimals) const {
        QString s = QString::number(v, 'f', decimals);
        if (FOptions.DecimalSeparator != QStringLiteral(".")) s.replace(QLatin1Char('.'), FOptions.DecimalSeparator);
        return s;
    }
    QString Share(int count, int of) const {
        return of > 0 ? Number(100.0 * count / of, 1) + QStringLiteral(" %") : QStringLiteral("–");
    }

    void ComputeScales();
    double LineHeight(const QFont& font) const { return QFontMetricsF(font, &FWriter).height(); }
    double RowHeight(double points) const { return LineHeight(ReportFont(points)) * 1.45; }
    double HeaderHeight(double points, int lines) const { return LineHeight(ReportFont(points, true)) * lines + Mm(2); }
    int RowsPerPage(double points, int headerLines) const {
        const double free = FBody.height() - TitleHeight() - HeaderHeight(points, headerLines);
        return std::max(1, int(free / RowHeight(points)));
    }
    double TitleHeight() const { return LineHeight(ReportFont(13, true)) * 1.8; }
    void AddRowPages(tPageKind kind, int rows, int perPage);

    void PaintFrame(int index);
    double PaintTitle(const QString& text, double y);
    void PaintText(const QRectF& rect, const QString& text, const QFont& font, Qt::Alignment align,
                   const QColor& color = Qt::black);
    double PaintTable(double y, const std::vector<tColumn>& columns, int headerLines, double points,
                      const std::function<QString(int row, int column)>& cell, int first, int count,
                      const std::function<QColor(int row, int column)>& fill = {});
    double PaintPairs(double y, const std::vector<std::pair<QString, QString>>& pairs, double points);

    void PaintTitlePage();
    void PaintSummary();
    void PaintDiagram(int page);
    void PaintNotSafe(const tPagePlan& plan);
    void PaintCrossRoads(const tPagePlan& plan);
    void PaintPivot(const tPagePlan& plan);
    void PaintViews(int boundary);
    void PaintCauseChart(const QRectF& area);

    QPdfWriter& FWriter;
    QPainter& FPainter;
    tRoadModel& FModel;
    const tReportOptions& FOptions;
    tGridLanguage FGridLanguage;
    tGridSource FSource;
    tReportFigures FFigures;
    std::vector<tNotSafeBoundary> FBoundaries;
    tCrossRoadsListTable FCrossList;
    tOverviewTexts FOverviewTexts;
    QString FDate;
    QRectF FBody;
    std::vector<tPagePlan> FPages;
    double FDiagramStart = 0;
    double FMaxSpeed = 0;
    double FMinSpeed = 0;
    double FTopSpeed = 0;
    // The views' buffers, reused from one boundary to the next.
    T3DData F3D;
    T2DData F2D;
    tProfileData FProfileData;
    QImage FViewImage;
};

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

}  // namespace

tReportFigures ReportFigures(const tRoadModel& model) {
    tReportFigures f;
    const TMPlan& plan = model.Plan;
    f.Profiles = plan.Count();
    if (f.Profiles > 0) {
        f.FirstKm = plan.Profiles.front().Position;
        f.LastKm = plan.Profiles.back().Position;
        f.Length = f.LastKm - f.FirstKm;
    }
    bool seen[5] = {};
    for (int i = 0; i < f.Profiles; ++i) {
        const tPlanProfile& p = plan.Profiles[size_t(i)];
        if (p.RoadCathegory < 5 && !seen[p.RoadCathegory]) {
            seen[p.RoadCathegory] = true;
            f.Categories << CategoryName(p.RoadCathegory);
        }
        if (i + 1 < f.Profiles) {
            const double len = plan.Profiles[size_t(i) + 1].Position - p.Position;
            for (int d = 0; d < 2; ++d)
                if (p.Cause[d] < 10) f.CauseLength[d][p.Cause[d]] += len;
        }
    }
    f.Objects = model.Greens.Count();
    f.CrossRoads = model.CrossRoads.Count();
    f.Segments = model.Pivot.Count();
    f.Boundaries = std::max(0, f.Segments - 1);
    for (const tPivotRow& row : model.Pivot.Rows) {
        if (row.ResumeFwd == VerdictNotSafe) ++f.NotSafe[0];
        if (row.ResumeRev == VerdictNotSafe) ++f.NotSafe[1];
    }
    for (const tCrossRoadRec& road : model.CrossRoads.Roads) {
        if (road.Skip)
            f.Skipped << road.Name;
        else if (road.NotVisible[0] || road.NotVisible[1])
            f.NotVisible << road.Name;
    }
    return f;
}

std::vector<tNotSafeBoundary> NotSafeBoundaries(const tRoadModel& model, const tGridSource& source) {
    std::vector<tNotSafeBoundary> out;
    const tPivotData& pivot = model.Pivot;
    for (int i = 0; i < pivot.Count(); ++i) {
        const tPivotRow& row = pivot.Rows[size_t(i)];
        const int r = i + 1;  // grid row
        if (row.ResumeFwd == VerdictNotSafe && i > 0) {
            tNotSafeBoundary b;
            b.Position = row.KmBeg;
            b.Direction = 0;
            b.PivotRow = i;
            b.Profile = row.FirstIndex;
            b.KmPlus = CellText(tGridId::PivotData, source, r, 1);
            b.SpeedBefore = CellText(tGridId::PivotData, source, r - 1, 4);
            b.SpeedAfter = CellText(tGridId::PivotData, source, r, 4);
            b.FailRate = CellText(tGridId::PivotData, source, r, 6);
            b.BoundRate = CellText(tGridId::PivotData, source, r, 7);
            b.Cause = OneLine(CellText(tGridId::PivotData, source, r, 5));
            out.push_back(b);
        }
        if (row.ResumeRev == VerdictNotSafe && i + 1 < pivot.Count()) {
            tNotSafeBoundary b;
            b.Position = row.KmEnd;
            b.Direction = 1;
            b.PivotRow = i;
            b.Profile = row.LastIndex;
            b.KmPlus = CellText(tGridId::PivotData, source, r, 2);
            b.SpeedBefore = CellText(tGridId::PivotData, source, r + 1, 9);
            b.SpeedAfter = CellText(tGridId::PivotData, source, r, 9);
            b.FailRate = CellText(tGridId::PivotData, source, r, 11);
            b.BoundRate = CellText(tGridId::PivotData, source, r, 12);
            b.Cause = OneLine(CellText(tGridId::PivotData, source, r, 10));
            out.push_back(b);
        }
    }
    std::stable_sort(out.begin(), out.end(), [](const tNotSafeBoundary& a, const tNotSafeBoundary& b) {
        if (a.Position != b.Position) return a.Position < b.Position;
        return a.Direction < b.Direction;
    });
    return out;
}

int DiagramPageCount(const TMPlan& plan, double metresPerPage) {
    if (plan.Count() == 0 || !(metresPerPage > 0)) return 0;
    const double start = std::floor(plan.Profiles.front().Position / metresPerPage) * metresPerPage;
    const double length = plan.Profiles.back().Position - start;
    return std::max(1, int(std::ceil(length / metresPerPage - 1e-9)));
}

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
