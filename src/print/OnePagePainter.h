// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the one-page settings printout on a printer (or a preview of one) in the page's own
// units: 0.01 inch, y upward from the top-left corner of the printable area.
#pragma once

#include "print/OnePageReport.h"

class QPainter;
class QPrinter;

// Paints the page. The painter is active on the printer and untransformed; it is left so.
void PaintOnePage(QPainter& painter, const QPrinter& printer, const onepage::CPage& page);
