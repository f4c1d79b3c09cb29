// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/PrintCommands.h"

#include "app/WR7310App.h"
#include "app/WR7310Doc.h"
#include "base/DialogHelpers.h"
#include "base/Messages.h"
#include "base/RadioFile.h"
#include "print/OnePagePainter.h"
#include "print/ReportPainter.h"
#include "view/WR7310View.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPageSetupDialog>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace {

std::string Latin1(const QString& s) {
    return s.toLatin1().toStdString();
}

// A preview dialog draws its pages into pictures; its own Print button paints on the printer.
bool PaintsPreview(QPainter& painter) {
    const QPaintEngine* pEngine = painter.paintEngine();
    return pEngine && pEngine->type() == QPaintEngine::Picture;
}

} // namespace

CPrintCommands::CPrintCommands(CWR7310App& app, CWR7310Doc& doc, CWR7310View& view,
                               QWidget* pParent)
    : QObject(pParent), m_app(app), m_doc(doc), m_view(view), m_pParent(pParent),
      m_pPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    m_pPrinter->setDocName(Qs(app.m_variant.strModel));
}

CPrintCommands::~CPrintCommands() = default;

const CPrintReport& CPrintCommands::Report() const {
    return m_report;
}

int CPrintCommands::RunDialog(QDialog& dlg) {
    return m_fnRunDialog ? m_fnRunDialog(dlg) : dlg.exec();
}

CPrintForm CPrintCommands::FormTexts(const CWR7310View& view, const CVariant& v) {
    CPrintForm form;
    for (const feature::CSwitchDef& def : feature::kSwitches) {
        const QCheckBox* pBox = view.Switch(def.nId);
        if (!pBox || !feature::SwitchField(v, def.nId) || pBox->isHidden())
            continue; // a switch the form does not show is not printed
        form.switches.push_back({Latin1(pBox->text()), pBox->isChecked()});
    }
    for (const feature::CListDef& def : feature::kLists)
        form.settings.emplace_back(std::string(def.strLabel),
                                   Latin1(view.List(def.nId)->currentText()));
    form.strAvailable = Latin1(view.List(feature::kCboChAvailable)->currentText());
    form.strSelected = Latin1(view.List(feature::kCboChSelected)->currentText());
    return form;
}

bool CPrintCommands::PrintJob(QPrinter& printer, bool bFromPreviewDialog) {
    // A channel cell still being edited belongs in the report.
    m_doc.CommitViewEdits();

    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString strTarget =
            printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        if (strTarget.isEmpty()) // neither a printer nor a file: the system has no printer
            m_app.ShowMessage(msg::kNoPrinter, {}, MsgIcon::Error);
        else
            m_app.ShowMessage(
                FormatText(msg::kPrintFailedFmt, QFile::encodeName(strTarget).constData()), {},
                MsgIcon::Error);
        return false;
    }
    const bool bPreview = bFromPreviewDialog && PaintsPreview(painter);
    switch (m_app.m_variant.printLayout) {
    case PrintLayout::Paged:
        PrintPaged(painter, printer, bPreview);
        break;
    case PrintLayout::OnePage:
        PrintOnePage(painter, printer);
        break;
    }
    painter.end();
    return true;
}

void CPrintCommands::PrintPaged(QPainter& painter, QPrinter& printer, bool bPreview) {
    CPrintReport& report = m_report;
    report.PreparePrinting(bPreview, FormTexts(m_view, m_app.m_variant), m_app, m_doc.Data());
    const QSize size = CReportPainter::PrintableSize(printer);
    report.BeginPrinting(size.width(), size.height());
    CReportPainter pages(report, Qs(m_app.m_variant.strAppTitle), std::time(nullptr));
    for (int nPage = 1; nPage <= report.Pages(); ++nPage) {
        if (nPage > 1)
            printer.newPage();
        pages.PrintPage(painter, printer, nPage);
    }
    report.EndPrinting();
}

void CPrintCommands::PrintOnePage(QPainter& painter, const QPrinter& printer) {
    const CPrintForm texts = FormTexts(m_view, m_app.m_variant);
    onepage::CFormTexts form;
    form.values = m_view.Values();
    form.settings = texts.settings;
    form.strAvailable = texts.strAvailable;
    form.strSelected = texts.strSelected;
    // The owner names the document as its title bar does ("RadioFile" before the first save).
    const std::string strTitle = m_fnDocumentTitle ? Latin1(m_fnDocumentTitle()) : std::string();
    const std::string strPath = m_doc.GetPathName();
    PaintOnePage(painter, printer,
                 onepage::LayOut(form, m_app.m_variant, m_doc.Data(), strPath, strTitle,
                                 std::time(nullptr)));
}

void CPrintCommands::OnFilePrint() {
    if (m_app.m_variant.printLayout == PrintLayout::OnePage) {
        PrintJob(*m_pPrinter, false); // straight to the current printer, no dialog first
        return;
    }
    QPrintDialog dlg(m_pPrinter.get(), m_pParent);
    dlg.setOption(QAbstractPrintDialog::PrintToFile, true);
    dlg.setOption(QAbstractPrintDialog::PrintSelection, false);
    dlg.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dlg.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dlg.setOption(QAbstractPrintDialog::PrintShowPageSize, true);
    dlg.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    if (RunDialog(dlg) != QDialog::Accepted)
        return; // cancelled: nothing is printed, nothing is said
    m_pPrinter->setPrintRange(QPrinter::AllPages);
    PrintJob(*m_pPrinter, false);
}

void CPrintCommands::OnFilePrintPreview() {
    QPrintPreviewDialog dlg(m_pPrinter.get(), m_pParent);
    dlg.setObjectName("PrintPreview");
    connect(&dlg, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* pPrinter) { PrintJob(*pPrinter, true); });
    RunDialog(dlg);
}

void CPrintCommands::OnFilePrintSetup() {
    QPageSetupDialog dlg(m_pPrinter.get(), m_pParent);
    RunDialog(dlg);
}

namespace {

void DropQtMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

// Qt's own diagnostics stay off the terminal while a PDF file is made: every failure is
// reported in the program's words.
class CQuietQt {
public:
    CQuietQt() : m_fnPrevious(qInstallMessageHandler(DropQtMessage)) {}
    ~CQuietQt() { qInstallMessageHandler(m_fnPrevious); }
    CQuietQt(const CQuietQt&) = delete;
    CQuietQt& operator=(const CQuietQt&) = delete;

private:
    QtMessageHandler m_fnPrevious;
};

} // namespace

void SilenceQtDiagnostics() {
    qInstallMessageHandler(DropQtMessage);
}

bool CPrintCommands::PdfFailed(const std::string& strPath, const std::string& strReason) {
    m_app.ShowMessage(FormatText(msg::kPrintPdfErrorFmt, strPath.c_str(), strReason.c_str()), {},
                      MsgIcon::Error);
    return false;
}

bool CPrintCommands::PrintToPdf(const QString& strPath) {
    const CQuietQt quiet;
    const std::string strTarget = QFile::encodeName(strPath).toStdString();
    // A target that cannot be saved is refused before anything is drawn.
    if (const int nErr = CheckCanSave(strTarget); nErr != 0)
        return PdfFailed(strTarget, std::strerror(nErr));

    const QTemporaryDir draftDir;
    if (!draftDir.isValid())
        return PdfFailed(strTarget, draftDir.errorString().toStdString());
    const QString strDraft = draftDir.filePath("draft.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(strDraft);
    printer.setPageLayout(m_pPrinter->pageLayout());
    printer.setDocName(m_pPrinter->docName());
    printer.setCreator(Qs(m_app.m_variant.strAppTitle));
    if (!PrintJob(printer, false))
        return false;

    // The PDF writer does not say when the disk filled up: the draft is checked whole.
    QFile draft(strDraft);
    if (!draft.open(QIODevice::ReadOnly))
        return PdfFailed(strTarget, draft.errorString().toStdString());
    const QByteArray bytes = draft.readAll();
    const std::span<const std::uint8_t> pdf(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                            static_cast<std::size_t>(bytes.size()));
    if (!IsCompletePdf(pdf))
        return PdfFailed(strTarget, std::strerror(ENOSPC));
    if (const int nErr = WriteFileReplacing(strTarget, pdf); nErr != 0)
        return PdfFailed(strTarget, std::strerror(nErr));
    return true;
}
