// SPDX-License-Identifier: GPL-3.0-or-later
// The service screens and commands: the information dialogs, the progress window, the EEPROM
// map, the tune screen and the embedded-information commands against the simulated radio,
// the menus of each user level and context help.
#include "GuiTestSupport.h"

#include "SimRadio.h"
#include "app/WR7310Doc.h"
#include "base/Messages.h"
#include "desktop/CommandIds.h"
#include "desktop/MainFrame.h"
#include "freqedit/MSFlexGrid.h"
#include "freqedit/TypedEdit.h"
#include "image/ImageFields.h"
#include "print/PrintCommands.h"
#include "service/EepromDlg.h"
#include "service/EepromMap.h"
#include "service/HelpLauncher.h"
#include "service/TuneDlg.h"
#include "service/XEmbedInfoDlg.h"
#include "service/XRadioInfoDlg.h"
#include "service/XScheduleDlg.h"
#include "transfer/Interrupt.h"
#include "view/WR7310View.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>

using namespace feature;

namespace {

std::string LevelIni(int nLevel) {
    return "[FreqRange]\nMinFreq=400\nMaxFreq=470\n[User Mode]\nLevel=" + std::to_string(nLevel) +
           "\n";
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> list) {
    std::vector<std::uint8_t> v;
    for (int b : list)
        v.push_back(static_cast<std::uint8_t>(b));
    return v;
}

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& v, std::size_t nAt,
                                std::size_t n) {
    return {v.begin() + static_cast<long>(nAt), v.begin() + static_cast<long>(nAt + n)};
}

std::string Text(std::span<const std::uint8_t> image, CAddrRange r) {
    return field::GetText(image, r, r.nLength);
}

void PressKey(QWidget* pWidget, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(pWidget, &press);
}

// The scratch folder of the EEPROM map points into the test's own folder.
class CScratchEnv {
public:
    explicit CScratchEnv(const std::string& strRuntime) {
        if (const char* p = std::getenv("XDG_RUNTIME_DIR"))
            m_saved = p;
        ::setenv("XDG_RUNTIME_DIR", strRuntime.c_str(), 1);
        eeprom::CChangeTracker::s_bGridSaved = false;
    }
    ~CScratchEnv() {
        if (m_saved)
            ::setenv("XDG_RUNTIME_DIR", m_saved->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        eeprom::CChangeTracker::s_bGridSaved = false;
    }

private:
    std::optional<std::string> m_saved;
};

// Cells of the map whose background is the change colour.
int GreenCells(const CMSFlexGrid& grid) {
    int n = 0;
    for (int r = 0; r < grid.rowCount(); ++r)
        for (int c = 0; c < grid.columnCount(); ++c)
            if (const QTableWidgetItem* p = grid.item(r, c);
                p && p->background().style() != Qt::NoBrush &&
                RefFromColor(p->background().color()) == 0x32EA7B)
                ++n;
    return n;
}

std::vector<std::string> ListTexts(const QListWidget& list) {
    std::vector<std::string> v;
    for (int i = 0; i < list.count(); ++i)
        v.push_back(list.item(i)->text().toStdString());
    return v;
}

// A frame at the given level with a simulated radio on its port.
class ServiceFixture : public ::testing::Test {
protected:
    void StartRadio(std::vector<std::uint8_t> memory, std::optional<std::uint16_t> stopAt = {}) {
        CRadioSimOptions o;
        o.nBaudRate = 0;
        o.image = std::move(memory);
        o.stopAt = stopAt;
        m_pRadio = std::make_unique<CSimRadio>(o);
        m_t.App().m_strPortDevice = m_pRadio->DevicePath();
    }
    static std::vector<std::uint8_t> RadioMemory() {
        std::vector<std::uint8_t> m = CRadioSim::BuiltInImage(XtraVariant());
        const std::string strText = "Site 4\r\nradio club";
        std::fill(m.begin() + 0x780, m.end(), 0);
        std::copy(strText.begin(), strText.end(), m.begin() + 0x780);
        return m;
    }
    // Frames after the entry sequence (the factory level reads no version blocks).
    std::vector<std::vector<std::uint8_t>> ServiceFrames() const {
        auto frames = m_pRadio->Frames();
        frames.erase(frames.begin());
        return frames;
    }
    CWR7310View& View() { return m_frame.View(); }
    CWR7310Doc& Doc() { return m_frame.Document(); }

    CGuiTestApp m_t{LevelIni(kFactoryLevel)};
    CMainFrame m_frame{m_t.App()};
    std::unique_ptr<CSimRadio> m_pRadio;
};

} // namespace

// ---- information dialogs and the progress window ----

TEST(EmbedInfoDialog, ShowsTheTextAndLimitsItTo128StoredBytes) {
    CGuiTestApp t;
    struct {
        std::string strArea;
        QString strShown;
    } const opens[] = {
        {std::string("\0abc", 4), ""},
        {"Line 1\r\nLine 2", "Line 1\nLine 2"},
    };
    for (const auto& o : opens) {
        std::vector<std::uint8_t> area(128, 0);
        std::copy(o.strArea.begin(), o.strArea.end(), area.begin());
        CXEmbedInfoDlg dlg(t.App(), area);
        EXPECT_EQ(dlg.Edit()->toPlainText(), o.strShown);
    }

    struct {
        QString strStart;
        QString strInsert;
        bool bTaken;
    } const typing[] = {
        {"", QString(128, 'a'), true},
        {"", QString(129, 'a'), false},
        {QString(127, 'a'), "\n", false}, // a line break takes two bytes
        {QString(126, 'a'), "\n", true},
    };
    for (const auto& c : typing) {
        std::vector<std::uint8_t> area(128, 0);
        CXEmbedInfoDlg dlg(t.App(), area);
        dlg.Edit()->setPlainText(c.strStart);
        dlg.Edit()->moveCursor(QTextCursor::End);
        dlg.Edit()->insertPlainText(c.strInsert);
        EXPECT_EQ(dlg.Edit()->toPlainText(), c.bTaken ? c.strStart + c.strInsert : c.strStart)
            << c.strStart.size() << "+" << c.strInsert.size();
    }
}

TEST(EmbedInfoDialog, RefusesWhatTheRadioCannotStoreAndCountsTheBytesLeft) {
    CGuiTestApp t;
    std::vector<std::uint8_t> area(128, 0);
    const std::string strStart = "Site\r\n4";
    std::copy(strStart.begin(), strStart.end(), area.begin());
    CXEmbedInfoDlg dlg(t.App(), area);
    EXPECT_EQ(dlg.StatusLabel()->text(), "121 bytes left");
    struct {
        QString strInsert;
        QString strText;   // the edit's text afterwards
        QString strStatus; // what the dialog says
    } const typing[] = {
        {"ab", "Site\n4ab", "119 bytes left"},
        {QString::fromUtf8("\u20AC"), "Site\n4ab",
         "The radio cannot store U+20AC: it takes Latin-1 characters only."},
        {QString::fromUtf8("caf\u00E9"), QString::fromUtf8("Site\n4abcaf\u00E9"), "115 bytes left"},
        {QString::fromUtf8("x\u4E2Dy"), QString::fromUtf8("Site\n4abcaf\u00E9"),
         "The radio cannot store U+4E2D: it takes Latin-1 characters only."},
        {QString(115, 'z'), QString::fromUtf8("Site\n4abcaf\u00E9") + QString(115, 'z'),
         "0 bytes left"},
        {"!", QString::fromUtf8("Site\n4abcaf\u00E9") + QString(115, 'z'),
         "The radio stores 128 bytes: there is no room for more."},
    };
    for (const auto& c : typing) {
        dlg.Edit()->moveCursor(QTextCursor::End);
        dlg.Edit()->insertPlainText(c.strInsert);
        EXPECT_EQ(dlg.Edit()->toPlainText(), c.strText) << c.strStatus.toStdString();
        EXPECT_EQ(dlg.StatusLabel()->text(), c.strStatus);
        EXPECT_EQ(dlg.StatusLabel()->accessibleName(), c.strStatus);
    }
    dlg.OkButton()->click();
    dlg.GetInfo(area);
    EXPECT_EQ(area[12], 0xE9); // the Latin-1 letter is stored as its one byte
    EXPECT_EQ(std::count(area.begin(), area.end(), '?'), 0);
}

TEST(EmbedInfoDialog, OkStoresCancelDrops) {
    CGuiTestApp t;
    std::vector<std::uint8_t> area(128, 0x41); // 128 characters, no terminating zero
    {
        CXEmbedInfoDlg dlg(t.App(), area);
        EXPECT_EQ(dlg.Edit()->toPlainText(), QString(128, 'A'));
        dlg.Edit()->clear();
        dlg.OkButton()->click();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        dlg.GetInfo(area);
        EXPECT_EQ(area, std::vector<std::uint8_t>(128, 0));
    }
    {
        CXEmbedInfoDlg dlg(t.App(), area);
        dlg.Edit()->setPlainText("x\ny");
        dlg.OkButton()->click();
        dlg.GetInfo(area);
        EXPECT_EQ(Slice(area, 0, 5), Bytes({'x', '\r', '\n', 'y', 0}));
    }
    EXPECT_EQ(CXEmbedInfoDlg(t.App(), area).windowTitle(), "Embedded Information");
}

TEST(RadioInfoDialog, ShowsTheFiveTextsUnderTheirLabels) {
    CGuiTestApp t;
    auto image = t.App().Image();
    const std::string strModel = "MODEL-0123456789"; // 16 characters, no terminating zero
    std::copy(strModel.begin(), strModel.end(), image.begin() + 0x328);
    image[0x34E] = 0x98; // 21400 kHz
    image[0x34F] = 0x53;
    CXRadioInfoDlg dlg(t.App(), RadioInfoTexts(t.App().m_variant, t.App().Range(), image));
    EXPECT_EQ(dlg.windowTitle(), "Radio Information");
    EXPECT_EQ(dlg.Value(0)->text(), "400.00000 - 470.00000 MHz");
    EXPECT_EQ(dlg.Value(1)->text(), QString::fromStdString(strModel));
    EXPECT_EQ(dlg.Value(4)->text(), "21.40 MHz");
    const char* const kLabels[] = {
        "Frequency Range:", "Model:", "Serial:", "Verion:", "Local Oscillator:"};
    // A screen reader hears the label and the value, never the label alone.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(dlg.Value(i)->accessibleName(), QString(kLabels[i]) + " " + dlg.Value(i)->text());
    EXPECT_EQ(dlg.Value(1)->accessibleName(), "Model: " + QString::fromStdString(strModel));
}

TEST(ScheduleWindow, PercentBarAndPlace) {
    CXScheduleDlg dlg("Read embedded information ...", 128);
    EXPECT_EQ(dlg.Percent()->text(), "Read embedded information ..."); // until the first step
    const std::tuple<int, const char*, int> steps[] = {
        {0, " 0%", 0}, {64, "50%", 64}, {120, "93%", 120}, {200, "100%", 128}};
    for (const auto& [nPos, pszText, nBar] : steps) {
        EXPECT_EQ(dlg.SetProgress(nPos), 1);
        EXPECT_EQ(dlg.Percent()->text(), pszText);
        EXPECT_EQ(dlg.Bar()->value(), nBar);
        EXPECT_EQ(dlg.Prompt()->text(), "Please waiting a minute ...");
    }

    CScheduleProgress progress(nullptr, QPoint(501, 401), QSize(380, 100));
    progress.Begin("Write embedded information ...", 128);
    ASSERT_NE(progress.Window(), nullptr);
    EXPECT_TRUE(progress.Window()->isVisible());
    EXPECT_EQ(progress.Window()->windowTitle(), "Write embedded information ...");
    EXPECT_EQ(progress.Window()->geometry(), QRect(311, 351, 380, 100));
    progress.End();
    EXPECT_EQ(progress.Window(), nullptr);
}

// ---- embedded-information commands ----

TEST_F(ServiceFixture, ReadEmbeddedThenOkKeepsTheTextAndTheFormsEdits) {
    ASSERT_TRUE(m_frame.NewDocument());
    StartRadio(RadioMemory());
    // An unsaved edit on the form.
    QCheckBox* pBeep = View().Switch(kButtonBeep);
    const bool bBeep = !pBeep->isChecked();
    pBeep->setChecked(bBeep);
    QString strSeen;
    CModalDriver driver([&](QDialog& dlg) {
        if (auto* p = qobject_cast<CXEmbedInfoDlg*>(&dlg)) {
            strSeen = p->Edit()->toPlainText();
            p->Edit()->moveCursor(QTextCursor::End);
            p->Edit()->insertPlainText(" 2");
            p->OkButton()->click();
        }
    });
    EXPECT_TRUE(View().OnReadEmbeddedInfo());
    EXPECT_EQ(strSeen, "Site 4\nradio club");
    EXPECT_EQ(m_t.m_notifier.Texts(), std::vector<std::string>{"Complete Reading."});
    EXPECT_EQ(m_t.m_notifier.m_messages[0].strCaption, "Read");
    const CVariant& v = XtraVariant();
    EXPECT_EQ(Text(Doc().Data(), v.embeddedInfo), "Site 4\r\nradio club 2");
    EXPECT_EQ(Text(m_t.App().Image(), v.embeddedInfo), "Site 4\r\nradio club 2");
    EXPECT_EQ(View().Switch(kButtonBeep)->isChecked(), bBeep);
    EXPECT_TRUE(Doc().IsModified());
    // Only the 16 blocks of the area were read.
    const auto frames = ServiceFrames();
    ASSERT_EQ(frames.size(), 17u);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(frames[static_cast<std::size_t>(k)], Bytes({0x52, 0x07, 0x80 + 8 * k, 8}));
}

TEST_F(ServiceFixture, ReadEmbeddedThenCancelKeepsTheTextRead) {
    ASSERT_TRUE(m_frame.NewDocument());
    StartRadio(RadioMemory());
    CModalDriver driver([](QDialog& dlg) {
        if (auto* p = qobject_cast<CXEmbedInfoDlg*>(&dlg)) {
            p->Edit()->setPlainText("dropped");
            p->CancelButton()->click();
        }
    });
    EXPECT_TRUE(View().OnReadEmbeddedInfo());
    EXPECT_EQ(Text(Doc().Data(), XtraVariant().embeddedInfo), "Site 4\r\nradio club");
}

TEST_F(ServiceFixture, WriteEmbeddedSendsExactlyTheArea) {
    ASSERT_TRUE(m_frame.NewDocument());
    const std::vector<std::uint8_t> memory = RadioMemory();
    StartRadio(memory);
    field::SetText(Doc().Data(), XtraVariant().embeddedInfo, "new text");
    EXPECT_TRUE(View().OnWriteEmbeddedInfo());
    EXPECT_EQ(m_t.m_notifier.Texts(), std::vector<std::string>{"Complete Writing."});
    EXPECT_EQ(m_t.m_notifier.m_messages[0].strCaption, "Write");
    const auto frames = ServiceFrames();
    ASSERT_EQ(frames.size(), 17u);
    for (int k = 0; k < 16; ++k) {
        const auto& f = frames[static_cast<std::size_t>(k)];
        ASSERT_EQ(f.size(), 12u);
        EXPECT_EQ(Slice(f, 0, 4), Bytes({0x57, 0x07, 0x80 + 8 * k, 8}));
    }
    EXPECT_EQ(frames.back(), Bytes({0x99}));
    const auto after = m_pRadio->Memory();
    EXPECT_EQ(Slice(after, 0x780, 9), Bytes({'n', 'e', 'w', ' ', 't', 'e', 'x', 't', 0}));
    EXPECT_EQ(Slice(after, 0, 0x780), Slice(memory, 0, 0x780));
    // The text written is the one the form keeps.
    EXPECT_EQ(Text(Doc().Data(), XtraVariant().embeddedInfo), "new text");
}

TEST_F(ServiceFixture, FailedReadShowsItsMessageOnlyAndKeepsTheOldText) {
    ASSERT_TRUE(m_frame.NewDocument());
    field::SetText(m_t.App().Image(), XtraVariant().embeddedInfo, "before");
    View().OnInitialUpdate();
    StartRadio(RadioMemory(), 0x7A0);
    int nDialogs = 0;
    CModalDriver driver([&](QDialog& dlg) {
        if (qobject_cast<CXEmbedInfoDlg*>(&dlg)) {
            ++nDialogs;
            dlg.reject();
        }
    });
    EXPECT_FALSE(View().OnReadEmbeddedInfo());
    EXPECT_EQ(m_t.m_notifier.Texts(),
              std::vector<std::string>{"Error when reading Embedded Information."});
    EXPECT_EQ(nDialogs, 0);
    EXPECT_EQ(Text(Doc().Data(), XtraVariant().embeddedInfo), "before");
}

TEST_F(ServiceFixture, FailedWriteShowsItsMessageOnly) {
    ASSERT_TRUE(m_frame.NewDocument());
    StartRadio(RadioMemory(), 0x790);
    EXPECT_FALSE(View().OnWriteEmbeddedInfo());
    EXPECT_EQ(m_t.m_notifier.Texts(),
              std::vector<std::string>{"Error when writing Embedded Information."});
}

// The session ends (SIGTERM; the application quits) in the middle of a service transfer: the
// transfer stops at its next block and releases the radio, nothing waits for the other
// forever, and the message goes to standard error, as no box would stay up to be read.
TEST_F(ServiceFixture, SessionEndDuringAServiceTransferStopsItAtABlock) {
    ASSERT_TRUE(m_frame.NewDocument());
    StartRadio(RadioMemory());
    field::SetText(Doc().Data(), XtraVariant().embeddedInfo, "new text");
    std::atomic<int> nBlocks{0};
    Doc().SetStopCheck([&] {
        if (++nBlocks == 4) {
            RecordInterrupt(SIGTERM);
            QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); });
        }
        return nBlocks > 6 && InterruptRequested();
    });
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(View().OnWriteEmbeddedInfo());
    const std::string strErr = ::testing::internal::GetCapturedStderr();
    ResetInterrupt();
    // (The offscreen platform adds notes of its own.)
    EXPECT_NE(strErr.find("Write interrupted at address 7B0: the radio holds part of the new "
                          "embedded information; write it again.\n"),
              std::string::npos)
        << strErr;
    EXPECT_TRUE(m_t.m_notifier.Texts().empty());
    const auto frames = ServiceFrames();
    ASSERT_EQ(frames.size(), 7u); // six blocks and the end of the transfer
    EXPECT_EQ(frames.back(), Bytes({0x99}));
}

// ---- tune screen ----

namespace {

std::vector<std::uint8_t> TuneRadioMemory() {
    std::vector<std::uint8_t> m = CRadioSim::BuiltInImage(XtraVariant());
    const std::string strModel = "WR-7310 TEST";
    std::fill(m.begin() + 0x328, m.begin() + 0x338, 0);
    std::copy(strModel.begin(), strModel.end(), m.begin() + 0x328);
    const auto tune = Bytes({0xA0, 0x8C, 0x00, 0x02}); // 450.000 MHz
    std::copy(tune.begin(), tune.end(), m.begin() + 0x678);
    m[0x324] = 0x85;
    return m;
}

} // namespace

TEST_F(ServiceFixture, TuneReadAllFillsEveryField) {
    ASSERT_TRUE(m_frame.NewDocument());
    StartRadio(TuneRadioMemory());
    CTuneDlg dlg(m_t.App(), Doc());
    EXPECT_EQ(dlg.windowTitle(), "Tune Mode");
    EXPECT_EQ(dlg.TuneEdit()->maxLength(), 9);
    EXPECT_EQ(dlg.TuneEdit()->m_nType, 5);
    EXPECT_TRUE(dlg.WriteFrequencyButton()->isDefault());
    dlg.OnReadAll();
    EXPECT_EQ(m_t.m_notifier.Texts(), std::vector<std::string>{"Complete Reading."});
    EXPECT_EQ(m_t.m_notifier.m_messages[0].strCaption, "Read from Radio");
    EXPECT_EQ(dlg.TuneEdit()->text(), "450.00000");
    EXPECT_EQ(dlg.ModelEdit()->text(), "WR-7310 TEST");
    EXPECT_EQ(dlg.RangeEdit()->text(), "400.00000 - 470.00000MHz");
    EXPECT_EQ(dlg.FirmwareEdit()->text(),
              "V" +
                  QString::fromStdString(Text(m_pRadio->Memory(), XtraVariant().firmwareVersion)));
    EXPECT_TRUE(dlg.OpenButton()->isChecked());
    EXPECT_FALSE(dlg.CloseButton()->isChecked());
}

TEST_F(ServiceFixture, TuneReadAllMarksTheDocumentAndEveryScreenShowsWhatWasRead) {
    ASSERT_TRUE(m_frame.NewDocument());
    std::vector<std::uint8_t> memory = TuneRadioMemory();
    const std::string strModel = "ABCDEFGHIJKLMNOP"; // fills the field
    std::copy(strModel.begin(), strModel.end(), memory.begin() + 0x328);
    StartRadio(memory);
    ASSERT_FALSE(Doc().IsModified());
    ASSERT_FALSE(m_frame.isWindowModified());
    QString strInfoModel;
    bool bRead = false; // the read runs an event loop of its own, in which the driver ticks
    {
        CModalDriver driver([&](QDialog& dlg) {
            if (auto* pTune = qobject_cast<CTuneDlg*>(&dlg)) {
                if (bRead)
                    return;
                bRead = true;
                pTune->OnReadAll();
                pTune->reject();
            } else if (auto* pInfo = qobject_cast<CXRadioInfoDlg*>(&dlg)) {
                strInfoModel = pInfo->Value(1)->text();
                pInfo->accept();
            }
        });
        View().OnProgramTune();
        View().OnRadioInfo();
    }
    EXPECT_EQ(m_t.m_notifier.Texts(), std::vector<std::string>{"Complete Reading."});
    // What was read is in no file yet: the title says so and leaving asks first.
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_TRUE(m_frame.isWindowModified());
    // Radio Information and the printout show the same radio.
    EXPECT_EQ(strInfoModel, QString::fromStdString(strModel));
    ASSERT_TRUE(m_frame.Printing().PrintToPdf(QString::fromStdString(m_t.m_dir.File("read.pdf"))));
    EXPECT_EQ(m_frame.Printing().Report().ModelText(), strModel);
}

TEST_F(ServiceFixture, TuneWithoutAChangeLeavesTheDocumentUnmodified) {
    ASSERT_TRUE(m_frame.NewDocument());
    StartRadio(TuneRadioMemory(), 0x320); // Read All fails at its first block
    bool bRead = false;
    CModalDriver driver([&](QDialog& dlg) {
        if (auto* pTune = qobject_cast<CTuneDlg*>(&dlg); pTune && !bRead) {
            bRead = true;
            pTune->OnReadAll();
            pTune->reject();
        }
    });
    View().OnProgramTune();
    EXPECT_TRUE(bRead);
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(ServiceFixture, TuneWriteFrequencySendsFourBytesThenTheSwitchAndChecksClose) {
    ASSERT_TRUE(m_frame.NewDocument());
    const std::vector<std::uint8_t> memory = TuneRadioMemory();
    StartRadio(memory);
    CTuneDlg dlg(m_t.App(), Doc());
    dlg.OpenButton()->setChecked(true);
    dlg.TuneEdit()->setText("465");
    dlg.OnWriteFrequency();
    EXPECT_EQ(dlg.TuneEdit()->text(), "465.00000");
    EXPECT_TRUE(dlg.CloseButton()->isChecked());
    EXPECT_FALSE(dlg.OpenButton()->isChecked());
    EXPECT_EQ(ServiceFrames(), (std::vector{Bytes({0x57, 0x06, 0x78, 4, 0x50, 0x91, 0x00, 0x02}),
                                            Bytes({0x52, 0x03, 0x24, 1}),
                                            Bytes({0x57, 0x03, 0x24, 1, 0x05}), Bytes({0x99})}));
    EXPECT_EQ(m_t.m_notifier.Texts(), std::vector<std::string>{"Complete Writing."});
    EXPECT_EQ(m_t.m_notifier.m_messages[0].strCaption, "Write to Radio");
    EXPECT_EQ(Slice(m_pRadio->Memory(), 0x678, 4), Bytes({0x50, 0x91, 0x00, 0x02}));
    EXPECT_EQ(Doc().Data()[0x324] & 0x80, 0);
}

TEST_F(ServiceFixture, TuneWriteSwitchChangesOnlyBit7) {
    ASSERT_TRUE(m_frame.NewDocument());
    std::vector<std::uint8_t> memory = TuneRadioMemory();
    memory[0x324] = 0x05;
    StartRadio(memory);
    CTuneDlg dlg(m_t.App(), Doc());
    dlg.OpenButton()->setChecked(true);
    dlg.OnWriteSwitch();
    auto after = m_pRadio->Memory();
    EXPECT_EQ(after[0x324], 0x85);
    after[0x324] = 0x05;
    EXPECT_EQ(after, memory);
    EXPECT_EQ(m_t.m_notifier.Texts(), std::vector<std::string>{"Complete Writing."});
}

TEST_F(ServiceFixture, TuneFailedReadKeepsTheFieldsAndShowsOnlyItsMessage) {
    ASSERT_TRUE(m_frame.NewDocument());
    StartRadio(TuneRadioMemory(), 0x348);
    CTuneDlg dlg(m_t.App(), Doc());
    const QString strModel = dlg.ModelEdit()->text();
    dlg.OnReadAll();
    EXPECT_EQ(m_t.m_notifier.Texts(),
              std::vector<std::string>{"Error when reading Tune Information."});
    EXPECT_EQ(dlg.ModelEdit()->text(), strModel);
}

TEST_F(ServiceFixture, TuneRangeCheckWhenTheEditLosesTheFocus) {
    ASSERT_TRUE(m_frame.NewDocument());
    CTuneDlg dlg(m_t.App(), Doc());
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    dlg.TuneEdit()->setFocus(Qt::OtherFocusReason);
    dlg.TuneEdit()->setText("300");
    dlg.ReadAllButton()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(dlg.TuneEdit()->text(), "400.00000");
    EXPECT_EQ(m_t.m_notifier.Texts(), std::vector<std::string>{std::string(msg::kTuneBelowRange)});
}

TEST_F(ServiceFixture, TuneStoredFrequencyOutsideTheRangeShowsEmpty) {
    ASSERT_TRUE(m_frame.NewDocument());
    const auto tune = Bytes({0x00, 0x96, 0x00, 0x02}); // 480 MHz
    std::copy(tune.begin(), tune.end(), Doc().Data().begin() + 0x678);
    CTuneDlg dlg(m_t.App(), Doc());
    EXPECT_EQ(dlg.TuneEdit()->text(), "");
}

// ---- EEPROM map ----

namespace {

class EepromMapTest : public ::testing::Test {
protected:
    EepromMapTest() {
        auto image = m_t.App().Image();
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 13);
    }
    CGuiTestApp m_t{LevelIni(kFactoryLevel)};
    CTempDir m_runtime;
    CScratchEnv m_env{m_runtime.Path().string()};
    std::string m_strScratch = eeprom::ScratchPath(); // in m_runtime, named by this process
};

} // namespace

TEST_F(EepromMapTest, GridLayoutAndCells) {
    CEepromDlg dlg(m_t.App());
    CMSFlexGrid& g = *dlg.Grid();
    EXPECT_EQ(dlg.windowTitle(), "EEPROM Map");
    EXPECT_EQ(g.GetRows(), 129);
    EXPECT_EQ(g.GetCols(), 17);
    EXPECT_EQ(g.GetTextMatrix(0, 0), "Addr.");
    EXPECT_EQ(g.GetTextMatrix(0, 1), "__0");
    EXPECT_EQ(g.GetTextMatrix(0, 16), "__F");
    EXPECT_EQ(g.GetTextMatrix(1, 0), "000_");
    EXPECT_EQ(g.GetTextMatrix(128, 0), "07F_");
    EXPECT_EQ(g.GetTextMatrix(1, 2), "0D");
    EXPECT_EQ(g.GetTextMatrix(128, 16), QString::asprintf("%02X", (0x7FF * 13) & 0xFF));
    EXPECT_EQ(dlg.CloseButton()->text(), "&Close");
    EXPECT_EQ(dlg.AddressLabel()->text(), "Change Data:");
    EXPECT_TRUE(dlg.ValueEdit()->isReadOnly());

    g.setCurrentCell(127, 15);
    EXPECT_EQ(dlg.AddressLabel()->text(), "$07FF:");
    EXPECT_EQ(dlg.ValueEdit()->text(), "0x" + g.GetTextMatrix(128, 16));
    dlg.OnEnterCellGrid(0, 3); // a header cell changes nothing
    EXPECT_EQ(dlg.AddressLabel()->text(), "$07FF:");

    EXPECT_EQ(dlg.FillGrid(128, m_t.App().Image()), -1);
    EXPECT_EQ(m_t.m_notifier.Texts(),
              std::vector<std::string>{"Address is out of range: 0000 ~ 07FF"});
}

TEST_F(EepromMapTest, FirstOpeningIsPlainThenThreeChangesAreListedAndGreen) {
    std::filesystem::create_directories(m_runtime.File("wr7310"));
    WriteBinaryFile(m_strScratch, std::vector<std::uint8_t>(2048, 0)); // from an earlier run
    {
        CEepromDlg dlg(m_t.App());
        EXPECT_EQ(dlg.ChangeList()->count(), 0);
        EXPECT_EQ(GreenCells(*dlg.Grid()), 0);
    }
    auto image = m_t.App().Image();
    image[0x7FF] = 0x00;
    image[0x010] = 0xAB;
    image[0x3C4] = 0x5A;
    CEepromDlg dlg(m_t.App());
    EXPECT_EQ(ListTexts(*dlg.ChangeList()),
              (std::vector<std::string>{"$0010:0xD0 -> 0xAB", "$03C4:0xF4 -> 0x5A",
                                        "$07FF:0xF3 -> 0x00"}));
    EXPECT_EQ(GreenCells(*dlg.Grid()), 3);
    EXPECT_EQ(dlg.Grid()->GetRow(), 128); // the last change is the current cell
    EXPECT_EQ(dlg.Grid()->GetCol(), 16);
}

TEST_F(EepromMapTest, PlantedLinkIsNotFollowed) {
    const std::string strVictim = m_runtime.File("victim.txt");
    WriteTextFile(strVictim, "precious");
    std::filesystem::create_directories(m_runtime.File("wr7310"));
    std::filesystem::create_symlink(strVictim, m_strScratch);
    for (int i = 0; i < 2; ++i) {
        m_t.App().Image()[5] = static_cast<std::uint8_t>(i);
        CEepromDlg dlg(m_t.App());
        EXPECT_EQ(dlg.ChangeList()->count(), 0);
    }
    EXPECT_EQ(ReadTextFile(strVictim), "precious");
    EXPECT_TRUE(m_t.m_notifier.Texts().empty());
}

TEST_F(EepromMapTest, UnusableFolderGivesAnEmptyListWithoutAMessage) {
    WriteTextFile(m_runtime.File("wr7310"), "not a folder");
    for (int i = 0; i < 2; ++i) {
        m_t.App().Image()[5] = static_cast<std::uint8_t>(i);
        CEepromDlg dlg(m_t.App());
        EXPECT_EQ(dlg.ChangeList()->count(), 0);
        EXPECT_EQ(GreenCells(*dlg.Grid()), 0);
    }
    EXPECT_TRUE(m_t.m_notifier.Texts().empty());
}

TEST_F(EepromMapTest, CommandShowsTheFormsValuesAndClosingChangesNothing) {
    CMainFrame frame(m_t.App());
    ASSERT_TRUE(frame.NewDocument());
    frame.View().Switch(kVox)->setChecked(!frame.View().Switch(kVox)->isChecked());
    std::vector<std::uint8_t> before;
    QString strVoxCell;
    const int nVoxRow = 0x323 / 16 + 1, nVoxCol = 0x323 % 16 + 1;
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Enter}) {
        CModalDriver driver([&](QDialog& dlg) {
            if (auto* p = qobject_cast<CEepromDlg*>(&dlg)) {
                before.assign(m_t.App().Image().begin(), m_t.App().Image().end());
                strVoxCell = p->Grid()->GetTextMatrix(nVoxRow, nVoxCol);
                PressKey(p, key);
            }
        });
        frame.View().OnProgramEeprom();
        EXPECT_EQ(std::vector<std::uint8_t>(m_t.App().Image().begin(), m_t.App().Image().end()),
                  before);
        // The map showed the form's unsaved switch.
        EXPECT_EQ(strVoxCell, QString::asprintf("%02X", frame.Document().Data()[0x323]));
    }
    eeprom::CChangeTracker::s_bGridSaved = false;
}

TEST_F(EepromMapTest, ChoosingAChangeGoesToItsByte) {
    { CEepromDlg first(m_t.App()); }
    m_t.App().Image()[0x005] ^= 0xFF;
    m_t.App().Image()[0x7F3] ^= 0xFF;
    CEepromDlg dlg(m_t.App());
    ASSERT_EQ(dlg.ChangeList()->count(), 2);
    EXPECT_EQ(dlg.Grid()->GetRow(), 128); // the last change, as before
    const std::pair<int, std::pair<int, int>> cases[] = {{0, {1, 6}}, {1, {128, 4}}, {0, {1, 6}}};
    for (const auto& [nEntry, cell] : cases) {
        QListWidgetItem* pItem = dlg.ChangeList()->item(nEntry);
        const QRect rect = dlg.ChangeList()->visualItemRect(pItem);
        QTest::mouseClick(dlg.ChangeList()->viewport(), Qt::LeftButton, {}, rect.center());
        EXPECT_EQ(dlg.Grid()->GetRow(), cell.first) << nEntry;
        EXPECT_EQ(dlg.Grid()->GetCol(), cell.second) << nEntry;
        EXPECT_EQ(dlg.AddressLabel()->text(),
                  QString::fromStdString(pItem->text().toStdString().substr(0, 6)));
    }
}

TEST_F(EepromMapTest, FindGoesToAnAddressOrTheNextPlaceOfTheBytes) {
    auto image = m_t.App().Image(); // byte i is i * 13
    image[0x400] = 0x12;
    image[0x401] = 0x34;
    image[0x6F0] = 0x12;
    image[0x6F1] = 0x34;
    CEepromDlg dlg(m_t.App());
    dlg.show();
    struct {
        const char* pszFind;
        int nAddress; // the current cell afterwards, as an address
        const char* pszStatus;
    } const cases[] = {
        {"$07FF", 0x7FF, ""},
        {"0x1a3", 0x1A3, ""},
        {"12 34", 0x400, ""}, // from the byte after the current one
        {"1234", 0x6F0, ""},  // Find again: the next place
        {"12,34", 0x400, ""}, // round the end to the first place again
        {"$0800", 0x400, "$0800 is past the last address $07FF"},
        {"FE FE FE", 0x400, "Not found"},
        {"hello", 0x400, "Type an address such as $01A3, or bytes such as 3F 40"},
    };
    for (const auto& c : cases) {
        dlg.FindEdit()->setText(c.pszFind);
        // Enter in the box finds, and does not close the map.
        QTest::keyClick(dlg.FindEdit(), Qt::Key_Return);
        EXPECT_TRUE(dlg.isVisible()) << c.pszFind;
        const int nAddress =
            static_cast<int>((dlg.Grid()->GetRow() - 1) * 16 + dlg.Grid()->GetCol() - 1);
        EXPECT_EQ(nAddress, c.nAddress) << c.pszFind;
        EXPECT_EQ(dlg.StatusLabel()->text(), c.pszStatus) << c.pszFind;
    }
    dlg.FindEdit()->setText("$0010");
    dlg.FindButton()->click();
    EXPECT_EQ(dlg.AddressLabel()->text(), "$0010:");
}

TEST_F(EepromMapTest, SavesTheMapAsBinaryAndIntelHex) {
    CEepromDlg dlg(m_t.App());
    const std::string strBin = m_t.m_dir.File("map.bin");
    const std::string strHex = m_t.m_dir.File("map.hex");
    QString strAsked;
    QString strAnswer;
    dlg.SetPathAsker([&](const QString& strCaption, const QString&) {
        strAsked = strCaption;
        return strAnswer;
    });
    strAnswer = QString::fromStdString(strBin);
    dlg.SaveBinaryButton()->click();
    const auto image = m_t.App().Image();
    EXPECT_EQ(ReadBinaryFile(strBin), std::vector<std::uint8_t>(image.begin(), image.end()));
    EXPECT_EQ(strAsked, "Save EEPROM Map as Binary");
    strAnswer = QString::fromStdString(strHex);
    dlg.SaveHexButton()->click();
    EXPECT_EQ(ReadTextFile(strHex), eeprom::IntelHex(image));
    EXPECT_EQ(dlg.StatusLabel()->text(), "Saved to " + strAnswer);
    // Cancelled: nothing written, nothing said.
    strAnswer.clear();
    std::filesystem::remove(strBin);
    dlg.SaveBinaryButton()->click();
    EXPECT_FALSE(std::filesystem::exists(strBin));
    // A folder that is not there: the reason, and nothing else changes.
    strAnswer = QString::fromStdString(m_t.m_dir.File("gone/map.bin"));
    dlg.SaveBinaryButton()->click();
    EXPECT_EQ(m_t.m_notifier.Texts(),
              std::vector<std::string>{"Cannot save \"" + strAnswer.toStdString() +
                                       "\": No such file or directory. Any earlier file of that "
                                       "name is unchanged."});
}

TEST_F(EepromMapTest, ScreenReaderHearsEachByteWithItsAddress) {
    CEepromDlg dlg(m_t.App());
    dlg.show();
    QAccessibleInterface* pGrid = QAccessible::queryAccessibleInterface(dlg.Grid());
    ASSERT_NE(pGrid, nullptr);
    QAccessibleTableInterface* pTable = pGrid->tableInterface();
    ASSERT_NE(pTable, nullptr);
    const std::pair<int, int> cells[] = {{0, 0}, {0, 15}, {26, 3}, {127, 15}};
    for (const auto& [r, c] : cells) {
        QAccessibleInterface* pCell = pTable->cellAt(r, c);
        ASSERT_NE(pCell, nullptr);
        const int nAddress = r * 16 + c;
        EXPECT_EQ(pCell->text(QAccessible::Name),
                  QString::asprintf("$%04X: 0x%02X", nAddress, (nAddress * 13) & 0xFF));
    }
    dlg.Grid()->setCurrentCell(26, 3);
    EXPECT_EQ(dlg.ValueEdit()->accessibleName(),
              QString::asprintf("$01A3: 0x%02X", (0x1A3 * 13) & 0xFF));
    // Every control the map added has a name to be read by.
    for (QWidget* p : std::initializer_list<QWidget*>{
             dlg.FindEdit(), dlg.FindButton(), dlg.SaveBinaryButton(), dlg.SaveHexButton()}) {
        QAccessibleInterface* pAcc = QAccessible::queryAccessibleInterface(p);
        ASSERT_NE(pAcc, nullptr);
        EXPECT_FALSE(pAcc->text(QAccessible::Name).isEmpty()) << p->metaObject()->className();
    }
}

TEST(EepromMapOlderModel, SixtyFourRows) {
    CTempDir dir;
    CScratchEnv env(dir.Path().string());
    CRecordingNotifier notes;
    const std::string strIni = dir.File("WR7310S.ini");
    WriteTextFile(strIni, LevelIni(kFactoryLevel));
    CWR7310App app(OldVariant(), strIni);
    app.SetNotifier(&notes);
    CEepromDlg dlg(app);
    EXPECT_EQ(dlg.Grid()->GetRows(), 65);
    EXPECT_EQ(dlg.Grid()->GetTextMatrix(64, 0), "03F_");
    EXPECT_EQ(dlg.FillGrid(64, app.Image()), -1);
    EXPECT_EQ(notes.Texts(), std::vector<std::string>{"Address is out of range: 0000 ~ 03FF"});
}

// ---- menus and help ----

TEST(ServiceMenus, EveryLevelSeesExactlyItsEntriesAndTheyWork) {
    struct {
        int nLevel;
        std::vector<int> present;
    } const cases[] = {
        {kFactoryLevel, {cmd::kProgramEeprom, cmd::kProgramTune}},
        {kTuneLevel, {cmd::kProgramTune}},
        {0, {}},
        {7, {}},
    };
    for (const auto& c : cases) {
        CGuiTestApp t(LevelIni(c.nLevel));
        CMainFrame frame(t.App());
        for (int nId : {cmd::kProgramEeprom, cmd::kProgramTune}) {
            const bool bPresent =
                std::find(c.present.begin(), c.present.end(), nId) != c.present.end();
            EXPECT_EQ(frame.ProgrammingMenu()->actions().contains(frame.Action(nId)), bPresent)
                << c.nLevel << " " << nId;
            EXPECT_TRUE(frame.Action(nId)->isEnabled());
        }
        for (int nId :
             {cmd::kRadioInfo, cmd::kEmbeddedInfo, cmd::kReadEmbeddedInfo, cmd::kWriteEmbeddedInfo})
            EXPECT_TRUE(frame.Action(nId)->isEnabled()) << c.nLevel << " " << nId;
    }
    // The entries open their screens.
    CGuiTestApp t(LevelIni(kFactoryLevel));
    CTempDir runtime;
    CScratchEnv env(runtime.Path().string());
    CMainFrame frame(t.App());
    ASSERT_TRUE(frame.NewDocument());
    std::vector<std::string> opened;
    CModalDriver driver([&](QDialog& dlg) {
        opened.push_back(dlg.objectName().toStdString());
        dlg.reject();
    });
    for (int nId : {cmd::kProgramEeprom, cmd::kProgramTune, cmd::kRadioInfo, cmd::kEmbeddedInfo})
        frame.Action(nId)->trigger();
    EXPECT_EQ(opened,
              (std::vector<std::string>{"EepromDlg", "TuneDlg", "XRadioInfoDlg", "XEmbedInfoDlg"}));
}

TEST(ContextHelpRequests, F1OpensTheScreensTopicOrSaysThereIsNone) {
    CGuiTestApp t;
    CHelpRecorder help(t); // the help page beside the "program"
    std::vector<QUrl>& urls = help.urls;
    std::vector<std::uint8_t> area(128, 0);
    CXEmbedInfoDlg embed(t.App(), area);
    CXRadioInfoDlg info(t.App(), CRadioInfoTexts{});
    CMainFrame frame(t.App());
    ASSERT_TRUE(frame.NewDocument());
    struct {
        QWidget* pTarget; // the control that has the focus
        const char* pszFragment;
    } const cases[] = {
        {embed.Edit(), "context-2700"},
        {&info, "context-137"},
        {frame.View().Switch(kVox), "context-101"}, // no topic for the check box itself
    };
    for (const auto& c : cases) {
        urls.clear();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(c.pTarget, &press);
        ASSERT_EQ(urls.size(), 1u) << c.pszFragment;
        EXPECT_EQ(urls[0].fragment(), c.pszFragment);
        EXPECT_EQ(urls[0].toLocalFile(), QString::fromStdString(t.m_dir.File("WR7310S.html")));
    }
    EXPECT_TRUE(t.m_notifier.Texts().empty());

    // The page is there but no browser shows it: the user is told so, and where the page is.
    SetHelpOpener([](const QUrl&) { return false; });
    ShowContextHelp(t.App(), 2700, 2700);
    ASSERT_EQ(t.m_notifier.Texts().size(), 1u);
    EXPECT_EQ(t.m_notifier.Texts()[0], "No web browser was found to show the help. The help page "
                                       "is:\n" +
                                           t.m_dir.File("WR7310S.html"));
    t.m_notifier.m_messages.clear();
    SetHelpOpener([&urls](const QUrl& url) {
        urls.push_back(url);
        return true;
    });

    // No page anywhere: the user is told.
    t.App().m_strHelpFile = t.m_dir.File("elsewhere/WR7310S.chm");
    urls.clear();
    ShowContextHelp(t.App(), 2700, 2700);
    EXPECT_TRUE(urls.empty());
    ASSERT_EQ(t.m_notifier.Texts().size(), 1u);
    EXPECT_EQ(t.m_notifier.Texts()[0].rfind(std::string(msg::kNoHelpPage), 0), 0u);
}
