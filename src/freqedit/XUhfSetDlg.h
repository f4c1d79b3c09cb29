// SPDX-License-Identifier: GPL-3.0-or-later
// "Frequency Setting": the frequency table in a grid, each receive and transmit frequency edited
// in place. Works on a private copy of the records; the caller takes them back after OK.
#pragma once

#include "freqedit/FilterEdit.h"
#include "freqedit/FreqTable.h"
#include "freqedit/MSFlexGrid.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

class QLabel;
class QPushButton;
class QUndoStack;

class CXUhfSetDlg : public QDialog {
    Q_OBJECT
public:
    // records: the document's frequency table (the variant's freqTable.nCount records); range
    // and nDecimalPoint: the owner's working range and the user's decimal point.
    CXUhfSetDlg(const CVariant& variant, CFreqRange range, int nDecimalPoint,
                std::span<const std::uint8_t> records, QWidget* pParent = nullptr);
    ~CXUhfSetDlg() override;

    // Copies the dialog's records into pDest (the table's size). Returns 1.
    int GetRecords(std::span<std::uint8_t> dest) const;
    // What F1 opens: the program's help.
    void SetHelp(std::function<void()> fnHelp) { m_fnHelp = std::move(fnHelp); }
    // Where a refused paste is reported (the owner's message box).
    void SetRefusalReport(std::function<void(const std::string&)> fnReport) {
        m_fnReport = std::move(fnReport);
    }

    void InitGrid();
    void FillGrid();
    // Opens the in-cell edit over the grid's current cell (receive and transmit columns only).
    void BeginCellEdit();
    // Takes the edit's text into the record and the cell and closes the edit; an empty edit
    // commits nothing and stays open.
    void CommitCellEdit();
    // Closes the edit without committing: its cell keeps the value it had.
    void CancelCellEdit();

    CMSFlexGrid& Grid() { return m_grid; }
    CFilterEdit& Edit() { return m_editFreq; }
    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }
    QLabel* StatusLine() const { return m_pStatus; }
    QUndoStack* UndoStack() const { return m_pUndo; }
    bool IsEditing() const { return m_bEditing != 0; }
    long EditRow() const { return m_nEditRow; }
    long EditCol() const { return m_nEditCol; }

    // Whole rows as tab-separated text, and pasted back from the current (or first chosen)
    // row on: one undo step; a refusal is reported and changes nothing.
    void OnCopy();
    bool OnPaste();
    // A passing word under the grid: how a value was stored, which characters the edit takes.
    void ShowNote(const QString& strText);

public slots:
    // While a cell is being edited, OK and Cancel only commit it and the dialog stays open.
    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void OnMouseUp(short nButton, short nShift, long x, long y);
    void OnGridChar(int nChar);
    void OnContextMenu(const QPoint& pt);
    // The cells' texts and colours from the records; the current cell stays.
    void RefreshCells();
    // Records what the table's records became since before as one undo step.
    void PushStep(const QString& strName, const std::vector<std::uint8_t>& before);

    CFreqTable m_table;
    int m_nDecimalPoint;
    CMSFlexGrid m_grid;
    CFilterEdit m_editFreq;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
    QLabel* m_pStatus = nullptr;
    QUndoStack* m_pUndo = nullptr;
    int m_bEditing = 0;
    long m_nEditCol = 1;
    long m_nEditRow = 1;
    bool m_bCommitting = false;
    std::function<void()> m_fnHelp;
    std::function<void(const std::string&)> m_fnReport;
};
