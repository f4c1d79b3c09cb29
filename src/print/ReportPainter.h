// SPDX-License-Identifier: GPL-3.0-or-later
// Paints the pages of the settings printout on a printer (or a preview of one). The drawing
// works in 0.1 mm with y growing upward from the top-left corner of the printable area, the
// units the report's layout is given in.
#pragma once

#include "print/PrintReport.h"

#include <QFont>
#include <QString>

#include <array>
#include <ctime>

class QPainter;
class QPrinter;
class QRectF;

class CReportPainter {
public:
    // strTitle: the page header's title. tPrinted: the time the footer shows.
    CReportPainter(const CPrintReport& report, QString strTitle, std::time_t tPrinted);

    // The printable area of a printer in 0.1 mm (width, height).
    static QSize PrintableSize(const QPrinter& printer);
    // The fonts F1 to F5 for a device: "Arial" (or the platform's metric-compatible sans) with
    // the report's cell heights in 0.1 mm.
    void CreateFonts();

    // Paints page nPage (from 1). The painter is active on the printer and untransformed.
    void PrintPage(QPainter& painter, const QPrinter& printer, int nPage);

    const QFont& Font(int nIndex) const { return m_fonts[static_cast<std::size_t>(nIndex)]; }

private:
    void DrawPageHeader(QPainter& painter);
    void DrawPageFooter(QPainter& painter, int nPage);
    void DrawRadioBlock(QPainter& painter);
    void DrawRow(QPainter& painter, const CPrintRow& row, int nTop);
    // Text in a rectangle given as left, top, right, bottom (y upward): one line, left-aligned,
    // centred vertically, clipped to the rectangle.
    static void DrawCell(QPainter& painter, int nLeft, int nTop, int nRight, int nBottom,
                         const QString& strText);
    static void DrawRule(QPainter& painter, int x1, int x2, int y);

    const CPrintReport& m_report;
    QString m_strTitle;
    std::time_t m_tPrinted;
    std::array<QFont, 5> m_fonts;
};
