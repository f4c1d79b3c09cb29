// The channel grid of the "Channel Setting" group: the program's grid that also tells its
// owner whenever it scrolls vertically, so an open cell editor is not left behind.
#pragma once

#include "freqedit/MSFlexGrid.h"

class CChannelGrid : public CMSFlexGrid {
    Q_OBJECT
public:
    explicit CChannelGrid(QWidget* pParent = nullptr);

signals:
    // The rows scrolled.
    void GridVScroll();
};
