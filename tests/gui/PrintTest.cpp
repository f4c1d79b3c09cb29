// SPDX-License-Identifier: GPL-3.0-or-later
// The printing commands of the desktop: the form's texts in the report, the print dialog's
// answer, the preview's margin, printing from the preview, open edits, and failures.
#include "GuiTestSupport.h"
#include "SwitchCaptions.h"

#include "app/WR7310Doc.h"
#include "desktop/CommandIds.h"
#include "desktop/MainFrame.h"
#include "print/PrintCommands.h"
#include "view/WR7310View.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QPageSetupDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// A second view of the document that records whether an open edit was committed.
class CEditRecorder : public IDocView {
public:
    void EndCellEdit() override { ++m_nEnded; }
    void StoreControls() override {}
    int m_nEnded = 0;
};

// Shows a print preview dialog and lets it lay out its pages; its preview widget, or null.
QPrintPreviewWidget* ShowPreview(QDialog& dlg) {
    dlg.show();
    QApplication::processEvents();
    auto* pWidget = dlg.findChild<QPrintPreviewWidget*>();
    if (!pWidget)
        return nullptr;
    pWidget->updatePreview();
    QApplication::processEvents();
    return pWidget;
}

class PrintTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_frame.NewDocument()); }
    CPrintCommands& Print() { return m_frame.Printing(); }
    QString PdfPath(const char* pszName) { return QString::fromStdString(m_t.m_dir.File(pszName)); }
    static bool Exists(const QString& strPath) { return QFile::exists(strPath); }

    CGuiTestApp m_t;
    CMainFrame m_frame{m_t.App()};
};

TEST_F(PrintTest, FormTextsAreWhatTheControlsShow) {
    CWR7310View& view = m_frame.View();
    view.Switch(feature::kVox)->setChecked(false);
    view.Switch(feature::kChannelNumber)->setChecked(true);
    view.List(feature::kCboTot)->setCurrentIndex(2);
    view.List(feature::kCboSquelch)->setCurrentIndex(-1); // an empty list prints empty
    const CPrintForm form = CPrintCommands::FormTexts(view, XtraVariant());

    ASSERT_EQ(form.switches.size(), kSwitchCaptions.size());
    for (std::size_t i = 0; i < kSwitchCaptions.size(); ++i)
        EXPECT_EQ(form.switches[i].strCaption, kSwitchCaptions[i]);
    EXPECT_FALSE(form.switches[1].bChecked);
    EXPECT_TRUE(form.switches[9].bChecked);

    const std::vector<std::string> kLabels = {
        "VOX:",          "Button Beep:", "Call Tone:",      "Comm Range Alarm:",
        "TX Power Set:", "TOT:",         "Revert Channel:", "Squelch Level:"};
    ASSERT_EQ(form.settings.size(), kLabels.size());
    for (std::size_t i = 0; i < kLabels.size(); ++i)
        EXPECT_EQ(form.settings[i].first, kLabels[i]);
    EXPECT_EQ(form.settings[5].second, "5 Minute");
    EXPECT_EQ(form.settings[7].second, "");
    EXPECT_EQ(form.strAvailable, view.List(feature::kCboChAvailable)->currentText().toStdString());
    EXPECT_FALSE(form.strAvailable.empty());
}

TEST_F(PrintTest, PrintCommandsAreEnabled) {
    for (int nId : {cmd::kFilePrint, cmd::kFilePrintPreview, cmd::kFilePrintSetup}) {
        ASSERT_NE(m_frame.Action(nId), nullptr) << nId;
        EXPECT_TRUE(m_frame.Action(nId)->isEnabled()) << nId;
    }
}

TEST_F(PrintTest, PrintDialogDecidesWhetherAnythingIsPrinted) {
    struct {
        int nAnswer;
        bool bPrinted;
    } const kCases[] = {{QDialog::Rejected, false}, {QDialog::Accepted, true}};
    for (const auto& c : kCases) {
        const QString strPath = PdfPath(c.bPrinted ? "printed.pdf" : "cancelled.pdf");
        Print().Printer().setOutputFormat(QPrinter::PdfFormat);
        Print().Printer().setOutputFileName(strPath);
        int nShown = 0;
        Print().SetDialogRunner([&](QDialog&) {
            ++nShown;
            return c.nAnswer;
        });
        m_frame.Action(cmd::kFilePrint)->trigger();
        EXPECT_EQ(nShown, 1);
        EXPECT_EQ(Exists(strPath), c.bPrinted);
        if (c.bPrinted) {
            EXPECT_EQ(Print().Report().Margin(), 50);
        }
    }
    EXPECT_TRUE(m_t.m_notifier.m_messages.empty()); // a cancel says nothing
}

TEST_F(PrintTest, PreviewUsesItsMarginAndPrintingFromItThePrintedOne) {
    const QString strPath = PdfPath("from-preview.pdf");
    Print().Printer().setOutputFormat(QPrinter::PdfFormat);
    Print().Printer().setOutputFileName(strPath);
    int nPreviewPages = 0;
    int nPreviewMargin = 0;
    Print().SetDialogRunner([&](QDialog& dlg) {
        QPrintPreviewWidget* pWidget = ShowPreview(dlg);
        if (!pWidget)
            return int(QDialog::Rejected);
        nPreviewPages = pWidget->pageCount();
        nPreviewMargin = Print().Report().Margin();
        EXPECT_FALSE(Exists(strPath)); // a preview prints nothing
        pWidget->print();              // the preview's Print button, after its dialog
        return int(QDialog::Accepted);
    });
    m_frame.Action(cmd::kFilePrintPreview)->trigger();
    EXPECT_EQ(nPreviewMargin, 30);
    EXPECT_GE(nPreviewPages, 1);
    EXPECT_TRUE(Exists(strPath));
    EXPECT_EQ(Print().Report().Margin(), 50);
}

TEST_F(PrintTest, PageSetupChosenOnceAppliesToTheNextPrintout) {
    EXPECT_TRUE(Print().PrintToPdf(PdfPath("portrait.pdf")));
    EXPECT_LT(Print().Report().PageWidth(), Print().Report().PageHeight());
    QPrinter* pShown = nullptr;
    Print().SetDialogRunner([&](QDialog& dlg) {
        auto* pSetup = qobject_cast<QPageSetupDialog*>(&dlg);
        if (!pSetup)
            return int(QDialog::Rejected);
        pShown = pSetup->printer();
        pShown->setPageOrientation(QPageLayout::Landscape); // what the user picks
        return int(QDialog::Accepted);
    });
    m_frame.Action(cmd::kFilePrintSetup)->trigger();
    EXPECT_EQ(pShown, &Print().Printer());
    EXPECT_TRUE(Print().PrintToPdf(PdfPath("landscape.pdf")));
    EXPECT_GT(Print().Report().PageWidth(), Print().Report().PageHeight());
}

TEST_F(PrintTest, OpenEditIsCommittedBeforeTheRowsAreBuilt) {
    CEditRecorder recorder;
    m_frame.Document().AddView(&recorder);
    EXPECT_TRUE(Print().PrintToPdf(PdfPath("edit.pdf")));
    m_frame.Document().RemoveView(&recorder);
    EXPECT_EQ(recorder.m_nEnded, 1);
}

TEST_F(PrintTest, UnwritableOutputIsReported) {
    const QString strPath = PdfPath("no-such-folder/out.pdf");
    EXPECT_FALSE(Print().PrintToPdf(strPath));
    ASSERT_EQ(m_t.m_notifier.m_messages.size(), 1u);
    EXPECT_EQ(m_t.m_notifier.m_messages[0].strText,
              "Cannot write the PDF file \"" + strPath.toStdString() +
                  "\": No such file or directory. Any earlier file of that name is unchanged.");
}

TEST_F(PrintTest, NoPrinterSaysSoAndHowToPrintAnyway) {
    // A printer that names neither a printer nor a file: what a system without one gives.
    Print().Printer().setOutputFormat(QPrinter::NativeFormat);
    Print().Printer().setPrinterName(QString());
    Print().Printer().setOutputFileName(QString());
    if (!Print().Printer().printerName().isEmpty())
        GTEST_SKIP() << "this system has a printer";
    Print().SetDialogRunner([](QDialog&) { return int(QDialog::Accepted); });
    m_frame.Action(cmd::kFilePrint)->trigger();
    EXPECT_EQ(m_t.m_notifier.Texts(),
              std::vector<std::string>{
                  "No printer is installed; choose Print to PDF or install a printer"});
}

} // namespace

// --- the older program's one page ---

namespace {

class OlderPrintTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_frame.NewDocument()); }
    CPrintCommands& Print() { return m_frame.Printing(); }

    CGuiTestApp m_t{"", OldVariant()};
    CMainFrame m_frame{m_t.App()};
};

} // namespace

TEST_F(OlderPrintTest, PrintGoesStraightToThePrinterAndPreviewShowsOnePage) {
    for (int nChannels : {1, 8}) {
        m_t.App().Image()[0x100] = static_cast<std::uint8_t>(nChannels);
        m_frame.View().LoadFromImage();
        const QString strPath =
            QString::fromStdString(m_t.m_dir.File("old" + std::to_string(nChannels) + ".pdf"));
        Print().Printer().setOutputFormat(QPrinter::PdfFormat);
        Print().Printer().setOutputFileName(strPath);
        int nDialogs = 0;
        int nPreviewPages = 0;
        Print().SetDialogRunner([&](QDialog& dlg) {
            ++nDialogs;
            QPrintPreviewWidget* pWidget = ShowPreview(dlg);
            if (!pWidget)
                return int(QDialog::Rejected);
            nPreviewPages = pWidget->pageCount();
            return int(QDialog::Rejected);
        });
        m_frame.Action(cmd::kFilePrint)->trigger();
        EXPECT_EQ(nDialogs, 0) << "no printer dialog before printing";
        EXPECT_TRUE(QFile::exists(strPath));
        m_frame.Action(cmd::kFilePrintPreview)->trigger();
        EXPECT_EQ(nDialogs, 1);
        EXPECT_EQ(nPreviewPages, 1) << nChannels;
    }
    EXPECT_TRUE(m_t.m_notifier.m_messages.empty());
}
