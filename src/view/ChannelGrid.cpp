#include "view/ChannelGrid.h"

#include <QScrollBar>

CChannelGrid::CChannelGrid(QWidget* pParent) : CMSFlexGrid(pParent) {
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit GridVScroll(); });
}
