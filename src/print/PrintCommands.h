// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's printing commands: Print (with its printer-choice step), Print Preview, Print
// Setup, and printing to a PDF file without any dialog. One printer is shared by all of them,
// so a printer or paper chosen once stays chosen for the run.
#pragma once

#include "print/PrintReport.h"
#include "variants/Variant.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class CWR7310App;
class CWR7310Doc;
class CWR7310View;
class QDialog;
class QPainter;
class QPrinter;
class QWidget;

// Keeps Qt's own diagnostics off standard error from now on: a scripted printout reports in
// the program's words only, one line per failure.
void SilenceQtDiagnostics();

class CPrintCommands : public QObject {
    Q_OBJECT
public:
    // Runs a modal dialog and returns its result; tests answer without showing it.
    using DialogRunner = std::function<int(QDialog& dlg)>;

    CPrintCommands(CWR7310App& app, CWR7310Doc& doc, CWR7310View& view, QWidget* pParent);
    ~CPrintCommands() override;

    // The print dialog first (printer, paper, copies, or a PDF file); cancelled, nothing is
    // printed. Then every page with the printed page's margin.
    void OnFilePrint();
    // The pages with the preview's narrower margin; printing from the preview prints them
    // again with the printed page's margin.
    void OnFilePrintPreview();
    // Paper, orientation and margins of the shared printer.
    void OnFilePrintSetup();
    // Prints the report to a PDF file, saved as radio files are: drawn into a draft first,
    // checked whole, then put in place (beside the target and renamed; a device or a pipe with
    // a reader is written directly). False, with the reason reported, when anything failed;
    // an earlier file of that name is then unchanged.
    bool PrintToPdf(const QString& strPath);

    // The form's texts as the report takes them.
    static CPrintForm FormTexts(const CWR7310View& view, const CVariant& variant);

    QPrinter& Printer() { return *m_pPrinter; }
    void SetDialogRunner(DialogRunner fn) { m_fnRunDialog = std::move(fn); }
    // The document's name as the owner's title bar shows it, for the one-page layout; without
    // one the page names no document.
    void SetDocumentTitle(std::function<QString()> fn) { m_fnDocumentTitle = std::move(fn); }
    // The report of the last job (its rows are gone once the job ended).
    const CPrintReport& Report() const;

private:
    // Commits open edits and paints the report in the model's layout. False when the printer
    // would not start (the reason has been reported).
    bool PrintJob(QPrinter& printer, bool bFromPreviewDialog);
    // Reports that the PDF file strPath could not be written, and why; returns false.
    bool PdfFailed(const std::string& strPath, const std::string& strReason);
    // The paged layout: rows from the form in five sections, as many pages as they fill.
    void PrintPaged(QPainter& painter, QPrinter& printer, bool bPreview);
    void PrintOnePage(QPainter& painter, const QPrinter& printer);
    int RunDialog(QDialog& dlg);

    CWR7310App& m_app;
    CWR7310Doc& m_doc;
    CWR7310View& m_view;
    QWidget* m_pParent;
    std::unique_ptr<QPrinter> m_pPrinter;
    DialogRunner m_fnRunDialog;
    std::function<QString()> m_fnDocumentTitle;
    // The printout's rows and page layout, kept for the run.
    CPrintReport m_report;
};
