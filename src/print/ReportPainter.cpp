// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/ReportPainter.h"

#include "base/DialogHelpers.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <cmath>

namespace {

// A font whose cell (ascent plus descent) is nHeight units tall.
QFont MakeFont(const CReportFont& def) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(static_cast<QFont::Weight>(def.nWeight));
    constexpr int kProbe = 1000;
    font.setPixelSize(kProbe);
    const QFontMetricsF fm(font);
    const double dCell = fm.ascent() + fm.descent();
    const double dScale = dCell > 0 ? kProbe / dCell : 1.0;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(def.nHeight * dScale))));
    return font;
}

// The cell height of a font in the painter's units.
double CellHeight(const QFont& font) {
    const QFontMetricsF fm(font);
    return fm.ascent() + fm.descent();
}

} // namespace

CReportPainter::CReportPainter(const CPrintReport& report, QString strTitle, std::time_t tPrinted)
    : m_report(report), m_strTitle(std::move(strTitle)), m_tPrinted(tPrinted) {
    CreateFonts();
}

QSize CReportPainter::PrintableSize(const QPrinter& printer) {
    const QRectF rc = printer.pageLayout().paintRect(QPageLayout::Millimeter);
    return {static_cast<int>(10 * rc.width()), static_cast<int>(10 * rc.height())};
}

void CReportPainter::CreateFonts() {
    for (std::size_t i = 0; i < m_fonts.size(); ++i)
        m_fonts[i] = MakeFont(kReportFonts[i]);
}

void CReportPainter::DrawRule(QPainter& painter, int x1, int x2, int y) {
    painter.drawLine(QPointF(x1, -y), QPointF(x2, -y));
}

void CReportPainter::DrawCell(QPainter& painter, int nLeft, int nTop, int nRight, int nBottom,
                              const QString& strText) {
    const QRectF rc(QPointF(nLeft, -nTop), QPointF(nRight, -nBottom));
    painter.save();
    painter.setClipRect(rc, Qt::IntersectClip);
    painter.drawText(rc, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, strText);
    painter.restore();
}

void CReportPainter::PrintPage(QPainter& painter, const QPrinter& printer, int nPage) {
    painter.save();
    // Device pixels to 0.1 mm; y is turned upward by the drawing helpers, so text stays upright.
    painter.scale(printer.resolution() / 254.0, printer.resolution() / 254.0);
    QPen pen(Qt::black);
    pen.setWidthF(2.0); // 0.2 mm
    painter.setPen(pen);
    const QFont oldFont = painter.font();

    DrawPageHeader(painter);
    DrawPageFooter(painter, nPage);
    DrawRadioBlock(painter);

    const auto [nFirst, nEnd] = m_report.PageRows(nPage);
    const auto& rows = m_report.Rows();
    for (std::size_t i = nFirst; i < nEnd; ++i) {
        painter.setFont(Font(RowFontIndex(rows[i].m_nStyle)));
        DrawRow(painter, rows[i], m_report.RowTop(i - nFirst));
    }
    painter.setFont(oldFont);
    painter.restore();
}

void CReportPainter::DrawRow(QPainter& painter, const CPrintRow& row, int nTop) {
    const std::vector<CColumnSpan> spans = m_report.Columns(row);
    for (std::size_t i = 0; i < spans.size() && i < row.m_strTexts.size(); ++i)
        DrawCell(painter, spans[i].nLeft, -nTop, spans[i].nRight, -nTop - CPrintReport::kRowHeight,
                 Qs(row.m_strTexts[i]));
}

void CReportPainter::DrawPageHeader(QPainter& painter) {
    const int m = m_report.Margin();
    const int T = CPrintReport::kTop;
    const int W = m_report.PageWidth();
    painter.setFont(Font(0));
    DrawRule(painter, m, W - m, 2 * m - T);
    // The title's top edge, so that it sits just above the rule.
    const double h = CellHeight(Font(0));
    const double dTop = 2 * m + 8 - T + h;
    painter.drawText(QRectF(m, -dTop, W - 2 * m, h), Qt::AlignLeft | Qt::AlignTop, m_strTitle);
}

void CReportPainter::DrawPageFooter(QPainter& painter, int nPage) {
    const int m = m_report.Margin();
    const int T = CPrintReport::kTop;
    const int W = m_report.PageWidth();
    const int H = m_report.PageHeight();
    painter.setFont(Font(0));
    DrawRule(painter, m, W - m, T - 2 * m - H);
    const double h = CellHeight(Font(0));
    const double dTop = T - 2 * m - 10 - H;
    painter.drawText(QRectF(m, -dTop, W - 2 * m, h), Qt::AlignLeft | Qt::AlignTop,
                     Qs(m_report.PageText(nPage)));
    const QString strTime = Qs(FormatPrintTime(m_tPrinted));
    const double dWidth = QFontMetricsF(Font(0)).horizontalAdvance(strTime);
    painter.drawText(QRectF(W - m - dWidth, -dTop, dWidth + 1, h), Qt::AlignLeft | Qt::AlignTop,
                     strTime);
}

void CReportPainter::DrawRadioBlock(QPainter& painter) {
    const int m = m_report.Margin();
    const int T = CPrintReport::kTop;
    const int R = CPrintReport::kRowHeight;
    const int V = m_report.VOffset();
    const int W = m_report.PageWidth();
    const int U = W - 2 * m;
    const int q = U / 4;
    painter.setFont(Font(1));
    const int nTop1 = 4 * m - V - T;
    const int nBottom1 = -(V + T + R);
    const int nTop2 = 4 * m - R - V - T;
    const int nBottom2 = -(V + T + 2 * R);
    DrawCell(painter, m, nTop1, m + q, nBottom1, QStringLiteral("Model:"));
    DrawCell(painter, m + q, nTop1, m + 2 * q, nBottom1, Qs(m_report.ModelText()));
    DrawCell(painter, m + U / 2, nTop1, m + U / 2 + q, nBottom1,
             QStringLiteral("Frequency Range:"));
    DrawCell(painter, m + (3 * U) / 4, nTop1, W - m, nBottom1, Qs(m_report.RangeText()));
    DrawCell(painter, m, nTop2, m + q, nBottom2, QStringLiteral("Version:"));
    DrawCell(painter, m + q, nTop2, m + 2 * q, nBottom2, Qs(m_report.VersionText()));
    DrawRule(painter, m, W - m, 3 * m - 3 * R - V - T);
}
