// SPDX-License-Identifier: GPL-3.0-or-later
// "EEPROM Map": the whole image as hexadecimal bytes, 16 to a row, the address and value of the
// current cell, and the bytes changed since the map was last opened in this run (listed and
// coloured; choosing an entry goes to its byte). A Find box goes to an address or to the next
// place of a byte sequence; the whole map can be saved as a binary or an Intel HEX file. It
// only shows the image; closing it leaves the image as it was.
#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <span>
#include <string>

class CMSFlexGrid;
class CWR7310App;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class CEepromDlg : public QDialog {
    Q_OBJECT
public:
    // Asks for the file to save to (caption, file-type filter); empty: cancelled. Tests answer
    // without a file dialog.
    using PathAsker = std::function<QString(const QString& strCaption, const QString& strFilter)>;

    // The map of the application's image buffer. strScratch: the scratch file (empty: the
    // user's runtime folder, eeprom::ScratchPath).
    explicit CEepromDlg(CWR7310App& app, QWidget* pParent = nullptr, std::string strScratch = {});

    void InitGrid();
    // 1 when the grid was filled, -1 (with the range message) when nStartRow is past the image.
    int FillGrid(int nStartRow, std::span<const std::uint8_t> image);
    void ShowChanges(int nRows, int nCols);
    void OnEnterCellGrid(long nRow, long nCol);
    // Goes to what the Find box names: the address, or the next place of the bytes after the
    // current cell. The status line says when there is nothing to go to.
    void OnFind();
    // Makes the byte at nAddress the current cell, in sight.
    void GoToAddress(int nAddress);
    // Saves the image shown as raw bytes or as Intel HEX to a file the user chooses.
    void OnSaveBinary();
    void OnSaveHex();
    void SetPathAsker(PathAsker fn) { m_fnAskPath = std::move(fn); }

    CMSFlexGrid* Grid() const { return m_pGrid; }
    QListWidget* ChangeList() const { return m_pList; }
    QLabel* AddressLabel() const { return m_pAddress; }
    QLineEdit* ValueEdit() const { return m_pValue; }
    QPushButton* CloseButton() const { return m_pClose; }
    QLineEdit* FindEdit() const { return m_pFind; }
    QPushButton* FindButton() const { return m_pFindButton; }
    QPushButton* SaveBinaryButton() const { return m_pSaveBinary; }
    QPushButton* SaveHexButton() const { return m_pSaveHex; }
    QLabel* StatusLabel() const { return m_pStatus; }

protected:
    void showEvent(QShowEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    // Writes bytes to a file the user chooses; the status line says where they went.
    void SaveFile(const QString& strCaption, const QString& strFilter,
                  std::span<const std::uint8_t> bytes);
    void SetStatus(const QString& strText);
    // Column 0 and the 16 byte columns share 17.4 of 18 parts of nGridPixels.
    void SetColumnWidths(int nGridPixels);

    CWR7310App& m_app;
    std::string m_strScratch;
    int m_nRows;
    bool m_bSized = false;
    CMSFlexGrid* m_pGrid = nullptr;
    QListWidget* m_pList = nullptr;
    QLabel* m_pAddress = nullptr;
    QLineEdit* m_pValue = nullptr;
    QPushButton* m_pClose = nullptr;
    QLineEdit* m_pFind = nullptr;
    QPushButton* m_pFindButton = nullptr;
    QPushButton* m_pSaveBinary = nullptr;
    QPushButton* m_pSaveHex = nullptr;
    QLabel* m_pStatus = nullptr;
    PathAsker m_fnAskPath;
};
