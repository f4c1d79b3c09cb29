// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/AboutDlg.h"

#include "base/DialogHelpers.h"
#include "base/Licence.h"
#include "variants/Variant.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(const CVariant& variant, QWidget* pParent) : QDialog(pParent) {
    setObjectName("AboutDlg");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowTitle(Qs(variant.strAboutCaption));

    auto* icon = new QLabel;
    QPixmap pixmap = QApplication::windowIcon().pixmap(32, 32);
    if (pixmap.isNull())
        pixmap = style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32);
    icon->setPixmap(pixmap);
    auto* title = new QLabel(Qs(variant.strAppTitle));
    auto* version = new QLabel(Qs(variant.strAboutVersion));
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* notice = new QLabel("Free software for programming WR7310 radios over a serial cable.");
    auto* licence = new QLabel(Qs(kLicenceNotice));
    licence->setObjectName("licence");
    licence->setTextInteractionFlags(Qt::TextSelectableByMouse); // the address can be copied
    auto* close = new QPushButton("&Close");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout;
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(title, 0, 1);
    grid->addWidget(version, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(line);
    layout->addWidget(notice);
    layout->addWidget(licence);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
