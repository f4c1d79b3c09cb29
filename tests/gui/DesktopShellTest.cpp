// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop programs as a desktop sees them: radio files dropped on the main window, the
// licence in the About box, and a run without a window that leaves the user's state alone.
#include "GuiTestSupport.h"

#include "app/WR7310Doc.h"
#include "desktop/CommandIds.h"
#include "desktop/DesktopMain.h"
#include "desktop/MainFrame.h"
#include "view/WR7310View.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>

#include <gtest/gtest.h>

namespace {

// A radio file of either model, as that model's program saves it.
std::string SavedRadioFile(CTempDir& dir, const CVariant& variant) {
    CGuiTestApp other("", variant);
    CMainFrame frame(other.App());
    const std::string strPath = dir.File("radio" + std::string(variant.strFileExt));
    EXPECT_TRUE(frame.NewDocument());
    EXPECT_TRUE(frame.DoSave(QString::fromStdString(strPath)));
    return strPath;
}

// Drags mime data onto pTarget and drops it there; true when the drop was taken.
bool Drop(QWidget* pTarget, const QMimeData& data) {
    const QPoint at = pTarget->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pTarget, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pTarget, &drop);
    QApplication::processEvents(); // the file opens after the drop has ended
    return drop.isAccepted();
}

QMimeData* Files(const QStringList& paths) {
    auto* pData = new QMimeData;
    QList<QUrl> urls;
    for (const QString& strPath : paths)
        urls << QUrl::fromLocalFile(strPath);
    pData->setUrls(urls);
    return pData;
}

} // namespace

TEST(FileDrop, OpensTheProgramsOwnFileAndRefusesOthers) {
    CGuiTestApp t;
    const QString strXtra = QString::fromStdString(SavedRadioFile(t.m_dir, XtraVariant()));
    const QString strOld = QString::fromStdString(SavedRadioFile(t.m_dir, OldVariant()));
    struct Case {
        const char* name;
        QStringList files;
        bool bTaken;           // the drag is accepted
        QString strOpened;     // the document's file afterwards
        std::size_t nMessages; // messages shown
    };
    const Case cases[] = {
        {"own model", {strXtra}, true, strXtra, 0},
        {"other model: refused with a message", {strOld}, true, QString(), 1},
        {"two files at once", {strXtra, strXtra}, false, QString(), 0},
        {"a file that is gone", {t.m_dir.File("gone.wr73").c_str()}, true, QString(), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        t.m_notifier.m_messages.clear();
        CMainFrame frame(t.App());
        ASSERT_TRUE(frame.NewDocument());
        AcceptFileDrops(frame);
        // Dropped on a text field of the form, the file still goes to the window.
        auto* pTarget = new QLineEdit(&frame.View()); // owned by the form
        const std::unique_ptr<QMimeData> pData(Files(c.files));
        EXPECT_EQ(Drop(pTarget, *pData), c.bTaken);
        EXPECT_EQ(frame.PathName(), c.strOpened);
        EXPECT_EQ(t.m_notifier.m_messages.size(), c.nMessages);
    }
}

TEST(FileDrop, AsksAboutUnsavedEditsFirstAndLeavesTextDragsToTheFields) {
    CGuiTestApp t;
    const QString strXtra = QString::fromStdString(SavedRadioFile(t.m_dir, XtraVariant()));
    CMainFrame frame(t.App());
    ASSERT_TRUE(frame.NewDocument());
    AcceptFileDrops(frame);
    frame.SetModified(true);
    int nAsked = 0;
    frame.SetSavePrompt([&](const QString&) {
        ++nAsked;
        return CMainFrame::SaveChoice::Cancel;
    });
    const std::unique_ptr<QMimeData> pFiles(Files({strXtra}));
    EXPECT_TRUE(Drop(&frame, *pFiles));
    EXPECT_EQ(nAsked, 1);
    EXPECT_TRUE(frame.PathName().isEmpty()); // cancelled: the edited document stays

    QMimeData text;
    text.setText("12");
    auto* pField = new QLineEdit(&frame); // owned by the frame
    EXPECT_TRUE(Drop(pField, text));
    EXPECT_EQ(pField->text(), "12"); // a field takes dragged text as it always did
}

TEST(AboutBox, ShowsTheLicence) {
    CGuiTestApp t;
    CMainFrame frame(t.App());
    QString strLicence;
    CModalDriver driver([&](QDialog& d) {
        if (auto* pLabel = d.findChild<QLabel*>("licence"))
            strLicence = pLabel->text();
        d.accept();
    });
    frame.Action(cmd::kAppAbout)->trigger();
    EXPECT_TRUE(strLicence.contains("GNU GPL version 3 or later")) << strLicence.toStdString();
    EXPECT_TRUE(strLicence.contains("NO WARRANTY"));
}

// Printing to PDF from a script opens and closes the program without a window: the settings
// file and the recent-file list stay as they were.
TEST(HeadlessRun, WritesNeitherSettingsNorRecentFiles) {
    CGuiTestApp t("[COM PORT]\nComPort=3\n");
    const std::string strFile = SavedRadioFile(t.m_dir, XtraVariant());
    QStringList recentBefore;
    {
        CMainFrame frame(t.App());
        ASSERT_TRUE(frame.NewDocument());
        ASSERT_TRUE(frame.DoSave(QString::fromStdString(t.m_dir.File("other.wr73"))));
        recentBefore = frame.RecentFiles(); // strFile is not the first entry any more
        ASSERT_GE(recentBefore.size(), 2);
    }
    const std::string strIni = ReadTextFile(t.m_strIniFile);
    t.App().m_bHeadless = true;
    {
        CMainFrame frame(t.App());
        ASSERT_TRUE(frame.OpenDocumentFile(QString::fromStdString(strFile)));
        frame.Document().m_nComPort = 7;
        EXPECT_EQ(frame.RecentFiles(), recentBefore);
    }
    EXPECT_EQ(ReadTextFile(t.m_strIniFile), strIni);
}
