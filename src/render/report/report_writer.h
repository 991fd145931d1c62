// The report's page writer: the planned pages and the painting of each,
// shared by the report's files (layout primitives, the pages, the figures).
#pragma once

#include "render/cross_profile_view.h"
#include "render/overview_common.h"
#include "render/report/safety_report.h"
#include "render/road_view.h"

#include "core/calc/crossroads_list.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRectF>

#include <functional>
#include <utility>
#include <vector>

namespace kestrova::report {

// Device units per inch of the pages; fonts are given in points and follow it.
constexpr int kDpi = 200;
constexpr double kPageWidthMm = 210;
constexpr double kPageHeightMm = 297;
constexpr double kMarginMm = 15;
inline const QColor kHeaderFill(225, 225, 225);
inline const QColor kNotSafeFill(255, 111, 111);
inline const QColor kGridLine(150, 150, 150);

inline double Mm(double mm) { return mm * kDpi / 25.4; }

inline QString FontFamily() { return QStringLiteral("DejaVu Sans"); }

QFont ReportFont(double points, bool bold = false);

// The text on one line: line breaks become blanks, runs of blanks one.
QString OneLine(QString text);

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


}  // namespace kestrova::report
