// "EEPROM Map": the whole image as hexadecimal bytes, 16 to a row, the address and value of the
// current cell, and the bytes changed since the map was last opened in this run (listed and
// coloured). It only shows the image; closing it leaves the image as it was.
#pragma once

#include <QDialog>

#include <cstdint>
#include <span>

class CMSFlexGrid;
class CWR7310App;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class CEepromDlg : public QDialog {
    Q_OBJECT
public:
    // The map of the application's image buffer. strScratch: the scratch file (empty: the
    // user's runtime folder, eeprom::ScratchPath).
    explicit CEepromDlg(CWR7310App& app, QWidget* pParent = nullptr, std::string strScratch = {});

    void InitGrid();
    // 1 when the grid was filled, -1 (with the range message) when nStartRow is past the image.
    int FillGrid(int nStartRow, std::span<const std::uint8_t> image);
    void ShowChanges(int nRows, int nCols);
    void OnEnterCellGrid(long nRow, long nCol);

    CMSFlexGrid* Grid() const { return m_pGrid; }
    QListWidget* ChangeList() const { return m_pList; }
    QLabel* AddressLabel() const { return m_pAddress; }
    QLineEdit* ValueEdit() const { return m_pValue; }
    QPushButton* CloseButton() const { return m_pClose; }

protected:
    void showEvent(QShowEvent* pEvent) override;

private:
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
};
