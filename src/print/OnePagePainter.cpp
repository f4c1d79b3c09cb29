// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/OnePagePainter.h"

#include "base/DialogHelpers.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QRectF>

namespace {

constexpr double kUnitsPerInch = 100.0;

} // namespace

void PaintOnePage(QPainter& painter, const QPrinter& printer, const onepage::CPage& page) {
    painter.save();
    // One unit is 0.01 inch; y is turned round so that the page's negative y lies downward.
    const double dScale = printer.resolution() / kUnitsPerInch;
    painter.scale(dScale, dScale);
    painter.setPen(QPen(Qt::black, 1.0));

    for (const onepage::CRule& r : page.rules)
        painter.drawLine(QPointF(r.x1, -r.y1), QPointF(r.x2, -r.y2));

    for (const onepage::CText& t : page.texts) {
        QFont font("Arial");
        font.setStyleHint(QFont::SansSerif);
        font.setWeight(QFont::Normal);
        font.setPixelSize(onepage::kFontHeights[static_cast<std::size_t>(t.nFont)]);
        painter.setFont(font);
        const QString str = Qs(t.str);
        const double dWidth = QFontMetricsF(font, painter.device()).horizontalAdvance(str) + 1.0;
        const double dHeight = font.pixelSize() * 1.5;
        const double x = t.bRightAligned ? t.x - dWidth : t.x;
        painter.drawText(QRectF(x, -t.y, dWidth, dHeight),
                         (t.bRightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop, str);
    }
    painter.restore();
}
