// SPDX-License-Identifier: GPL-3.0-or-later
// The About box: program icon, title, version, the maker's notice and the licence.
#pragma once

#include <QDialog>

struct CVariant;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(const CVariant& variant, QWidget* pParent = nullptr);
};
