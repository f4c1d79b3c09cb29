// SPDX-License-Identifier: GPL-3.0-or-later
// "Embedded Information": edits the radio's 128-byte embedded information text. The dialog
// works on its own copy; the caller takes it back with GetInfo after OK.
#pragma once

#include <QDialog>

#include <cstdint>
#include <span>
#include <vector>

class CWR7310App;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class CXEmbedInfoDlg : public QDialog {
    Q_OBJECT
public:
    // pInfo: the document's embedded information area, copied at once.
    CXEmbedInfoDlg(const CWR7310App& app, std::span<const std::uint8_t> info,
                   QWidget* pParent = nullptr);

    // The area as OK left it.
    void GetInfo(std::span<std::uint8_t> info) const;

    QPlainTextEdit* Edit() const { return m_pEdit; }
    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }
    // How many bytes are left, or why the last input was refused.
    QLabel* StatusLabel() const { return m_pStatus; }

    void accept() override;

private:
    void OnTextChanged();
    void SetStatus(const std::string& strText);

    std::vector<std::uint8_t> m_info;
    QPlainTextEdit* m_pEdit = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
    QLabel* m_pStatus = nullptr;
    QString m_strAccepted; // the last text the radio can store
};
