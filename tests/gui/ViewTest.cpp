// SPDX-License-Identifier: GPL-3.0-or-later
// The form with its controls: loading an image, storing the controls, masters, channel lists.
#include "GuiTestSupport.h"

#include "app/WR7310Doc.h"
#include "desktop/MainFrame.h"
#include "freqedit/MSFlexGrid.h"
#include "image/ImageFields.h"
#include "view/WR7310View.h"
#include "view/WheelComboBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWheelEvent>

#include <set>

#include <gtest/gtest.h>

using namespace feature;

namespace {

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_frame.NewDocument()); }
    CWR7310View& View() { return m_frame.View(); }
    CWR7310Doc& Doc() { return m_frame.Document(); }
    std::span<std::uint8_t> Image() { return m_t.App().Image(); }
    QCheckBox* Sw(int nId) { return View().Switch(nId); }
    QComboBox* Li(int nId) { return View().List(nId); }
    // Stores the form and returns the document's byte.
    std::uint8_t Stored(std::uint16_t nAddr) {
        View().StoreControls();
        return Doc().Data()[nAddr];
    }

    CGuiTestApp m_t;
    CMainFrame m_frame{m_t.App()};
};

} // namespace

TEST_F(ViewTest, FormHasEveryGroupControlAndText) {
    EXPECT_EQ(View().Group(0)->title(), "Feature Switch");
    EXPECT_EQ(View().Group(1)->title(), "Feature Setting");
    EXPECT_EQ(View().Group(2)->title(), "Channel Setting");
    for (const CSwitchDef& def : kSwitches) {
        ASSERT_NE(Sw(def.nId), nullptr) << def.nId;
        EXPECT_EQ(Sw(def.nId)->text().toStdString(), def.strText);
        EXPECT_FALSE(Sw(def.nId)->isHidden()) << def.nId;
    }
    EXPECT_EQ(Sw(kTailCut)->text(), "Tail Cut Signal Transmit "); // trailing blank kept
    for (const CListDef& def : kLists) {
        EXPECT_EQ(View().Label(def.nId)->text().toStdString(), def.strLabel);
        ASSERT_EQ(Li(def.nId)->count(), def.nItems) << def.nId;
        for (int i = 0; i < def.nItems; ++i)
            EXPECT_EQ(Li(def.nId)->itemText(i).toStdString(),
                      def.items[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(Li(kCboTot)->itemText(2), "5 Minute");
    EXPECT_EQ(View().Label(kCboChAvailable)->text(), "Available CHs:");
    EXPECT_EQ(View().Label(kCboChSelected)->text(), "Selected CH:");
    EXPECT_EQ(View().AvailableList()->count(), 99);
    EXPECT_EQ(View().FrequencyListButton()->text(), "Frequency List");
}

TEST_F(ViewTest, LoadShowsEveryFieldOfTheImage) {
    auto img = Image();
    img[0x323] = 0x25; // Keypad Lock, Battery Save, Call Tone
    img[0x324] = 0x25; // Frequency Set, Default Set Mode, Revert "Last Stop CH"; Menu Enable off
    img[0x31A] = 0xA8; // Channel Set, TX power High, alarm ON; Manual TX Power off, beep OFF
    img[0x320] = 3;
    img[0x321] = 5;
    img[0x322] = 4;
    img[0x325] = 1;
    View().LoadFromImage();

    const std::pair<int, bool> kChecks[] = {
        {kMenuEnable, false},    {kVox, false},           {kButtonBeep, false},
        {kCallTone, true},       {kManualTxPower, false}, {kRangeAlarm, false},
        {kChannelSet, true},     {kFrequencySet, true},   {kSignalingSet, false},
        {kChannelNumber, false}, {kDefaultSetMode, true}, {kBatterySave, true},
        {kTailCut, false},       {kKeypadLock, true}};
    for (const auto& [nId, bChecked] : kChecks)
        EXPECT_EQ(Sw(nId)->isChecked(), bChecked) << nId;

    EXPECT_EQ(Li(kCboVox)->currentText(), "3");
    EXPECT_EQ(Li(kCboButtonBeep)->currentText(), "OFF");
    EXPECT_EQ(Li(kCboCallTone)->currentText(), "5");
    EXPECT_EQ(Li(kCboRangeAlarm)->currentText(), "ON");
    EXPECT_EQ(Li(kCboTxPower)->currentText(), "High");
    EXPECT_EQ(Li(kCboTot)->currentText(), "1 Minute");
    EXPECT_EQ(Li(kCboRevert)->currentText(), "Last Stop CH");
    EXPECT_EQ(Li(kCboSquelch)->currentText(), "4");

    // A list follows its switch; the masters grey their dependents.
    EXPECT_FALSE(Li(kCboVox)->isEnabled());
    EXPECT_FALSE(Li(kCboButtonBeep)->isEnabled());
    EXPECT_TRUE(Li(kCboCallTone)->isEnabled());
    EXPECT_FALSE(Li(kCboRangeAlarm)->isEnabled());
    EXPECT_TRUE(Li(kCboTxPower)->isEnabled());
    for (int nId : {kVox, kButtonBeep, kCallTone, kRangeAlarm, kManualTxPower})
        EXPECT_FALSE(Sw(nId)->isEnabled()) << nId;
    for (int nId : {kFrequencySet, kSignalingSet, kChannelNumber})
        EXPECT_TRUE(Sw(nId)->isEnabled()) << nId;

    // The document and the working range follow the image.
    EXPECT_EQ(Doc().Data()[0x321], 5);
    EXPECT_NEAR(m_t.App().m_dMinFreq, 400.0, 1e-9);
    EXPECT_NEAR(m_t.App().m_dMaxFreq, 470.0, 1e-9);
}

TEST_F(ViewTest, OutOfListValuesShowEmptyAndStoreMinusOne) {
    auto img = Image();
    img[0x323] |= 0x02; // VOX on, so no gate
    img[0x320] = 9;
    img[0x322] = 0;
    View().LoadFromImage();
    EXPECT_EQ(Li(kCboVox)->currentIndex(), -1);
    EXPECT_EQ(Li(kCboVox)->currentText(), "");
    EXPECT_EQ(Li(kCboSquelch)->currentIndex(), -1);
    EXPECT_EQ(Stored(0x320), 0xFF);
    EXPECT_EQ(Doc().Data()[0x322], 0);
}

TEST_F(ViewTest, ChangedControlsAreStored) {
    Sw(kKeypadLock)->click();
    const bool bKeypad = Sw(kKeypadLock)->isChecked();
    Li(kCboTot)->setCurrentIndex(2);
    Li(kCboSquelch)->setCurrentIndex(0);
    Li(kCboRevert)->setCurrentIndex(1);
    Li(kCboTxPower)->setCurrentIndex(0);
    View().StoreControls();
    const auto data = Doc().Data();
    EXPECT_EQ(field::GetBit(data, {0x323, 0}), bKeypad);
    EXPECT_EQ(data[0x325], 2);
    EXPECT_EQ(data[0x322], 1);
    EXPECT_TRUE(field::GetBit(data, {0x324, 5}));
    EXPECT_FALSE(field::GetBit(data, {0x31A, 5}));
}

TEST_F(ViewTest, SwitchClickResetsItsList) {
    Image()[0x323] |= 0x02;
    Image()[0x324] |= 0x40;
    Image()[0x320] = 4;
    View().LoadFromImage();
    ASSERT_TRUE(Li(kCboVox)->isEnabled());
    Sw(kVox)->click(); // off
    EXPECT_FALSE(Li(kCboVox)->isEnabled());
    EXPECT_EQ(Li(kCboVox)->currentText(), "OFF");
    Sw(kVox)->click(); // on again
    EXPECT_TRUE(Li(kCboVox)->isEnabled());
    EXPECT_EQ(Li(kCboVox)->currentText(), "OFF");
    EXPECT_EQ(Stored(0x320), 0);
}

TEST_F(ViewTest, GatesStoreZeroForSwitchedOffFeatures) {
    auto img = Image();
    img[0x323] = 0x00;  // VOX, Button Beep, Call Tone, Comm Range Alarm off
    img[0x31A] |= 0x0C; // beep ON, alarm ON in the image
    img[0x320] = 2;
    img[0x321] = 3;
    View().LoadFromImage();
    ASSERT_EQ(Li(kCboVox)->currentText(), "2"); // shown, but greyed
    ASSERT_EQ(Li(kCboButtonBeep)->currentText(), "ON");
    View().StoreControls();
    const auto data = Doc().Data();
    EXPECT_EQ(data[0x320], 0);
    EXPECT_EQ(data[0x321], 0);
    EXPECT_FALSE(field::GetBit(data, {0x31A, 2}));
    EXPECT_FALSE(field::GetBit(data, {0x31A, 3}));
}

TEST_F(ViewTest, MastersGreyWithoutUnchecking) {
    Image()[0x324] |= 0x40;
    Image()[0x31A] |= 0x80;
    Image()[0x323] = 0xE3; // VOX, Button Beep, Call Tone, Comm Range Alarm, Keypad Lock
    View().LoadFromImage();
    ASSERT_TRUE(Sw(kVox)->isEnabled());
    Sw(kMenuEnable)->click();
    for (int nId : {kVox, kButtonBeep, kCallTone, kRangeAlarm, kManualTxPower})
        EXPECT_FALSE(Sw(nId)->isEnabled()) << nId;
    EXPECT_TRUE(Sw(kVox)->isChecked());
    EXPECT_TRUE(Li(kCboVox)->isEnabled()); // lists keep their own state

    Sw(kChannelSet)->click();
    for (int nId : {kFrequencySet, kSignalingSet, kChannelNumber})
        EXPECT_FALSE(Sw(nId)->isEnabled()) << nId;

    View().StoreControls();
    const auto data = Doc().Data();
    EXPECT_FALSE(field::GetBit(data, {0x324, 6}));
    EXPECT_FALSE(field::GetBit(data, {0x31A, 7}));
    EXPECT_TRUE(field::GetBit(data, {0x323, 1})); // stored bits follow the check marks
    EXPECT_TRUE(field::GetBit(data, {0x323, 7}));

    Sw(kMenuEnable)->click();
    EXPECT_TRUE(Sw(kVox)->isEnabled());
}

TEST_F(ViewTest, StoreClearsTheTuneSwitch) {
    Image()[0x324] |= 0x80;
    View().LoadFromImage();
    EXPECT_EQ(Stored(0x324) & 0x80, 0);
}

TEST_F(ViewTest, ChannelListsClampAndWriteThrough) {
    Image()[0x318] = 20;
    Image()[0x319] = 15;
    View().LoadFromImage();
    QComboBox* pAvail = View().AvailableList();
    QComboBox* pSel = View().SelectedList();
    EXPECT_EQ(pAvail->currentText(), "20");
    EXPECT_EQ(pSel->count(), 20);
    EXPECT_EQ(pSel->currentText(), "15");

    pAvail->setCurrentIndex(9);
    emit pAvail->activated(9);
    EXPECT_EQ(pSel->count(), 10);
    EXPECT_EQ(pSel->currentText(), "10");
    EXPECT_EQ(Doc().Data()[0x318], 10);
    EXPECT_EQ(Doc().Data()[0x319], 10);

    pSel->setCurrentIndex(3);
    emit pSel->activated(3);
    EXPECT_EQ(Doc().Data()[0x319], 4);

    Image()[0x318] = 0;
    View().LoadFromImage();
    EXPECT_EQ(pAvail->currentText(), "1");
    EXPECT_EQ(Doc().Data()[0x318], 1);

    Image()[0x318] = 150;
    Image()[0x319] = 120;
    View().LoadFromImage();
    EXPECT_EQ(pAvail->currentText(), "99");
    EXPECT_EQ(pSel->currentText(), "99");
    EXPECT_EQ(Doc().Data()[0x319], 99);
}

TEST_F(ViewTest, SelectedListRefillsWhenItDropsDown) {
    Image()[0x318] = 8;
    Image()[0x319] = 3;
    View().LoadFromImage();
    View().AvailableList()->setCurrentIndex(4); // no notification: the lists disagree
    ASSERT_EQ(View().SelectedList()->count(), 8);
    emit View().SelectedList()->aboutToDropDown();
    EXPECT_EQ(View().SelectedList()->count(), 5);
    EXPECT_EQ(View().SelectedList()->currentText(), "3");
}

TEST_F(ViewTest, WheelOnAvailableChannelsIsThrottled) {
    Image()[0x318] = 20;
    View().LoadFromImage();
    CWheelComboBox* pAvail = View().AvailableList();
    std::int64_t nNow = 1000;
    pAvail->SetClock([&nNow] { return nNow; });
    auto wheel = [pAvail] {
        QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(pAvail, &e);
    };
    nNow += 301;
    wheel();
    const int nAfterFirst = pAvail->currentIndex();
    EXPECT_NE(nAfterFirst, 19);
    nNow += 200; // second notch within 300 ms
    wheel();
    EXPECT_EQ(pAvail->currentIndex(), nAfterFirst);
    nNow += 301;
    wheel();
    EXPECT_NE(pAvail->currentIndex(), nAfterFirst);
    EXPECT_EQ(Doc().Data()[0x318], pAvail->currentIndex() + 1); // written through
}

TEST_F(ViewTest, EveryControlIsReachedByTab) {
    m_frame.show();
    QWidget* pFirst = Sw(kMenuEnable);
    pFirst->setFocus();
    std::set<QWidget*> seen;
    QWidget* w = pFirst;
    for (int i = 0; i < 100; ++i) {
        seen.insert(w);
        w = w->nextInFocusChain();
        while (w && !(w->focusPolicy() & Qt::TabFocus))
            w = w->nextInFocusChain();
        if (w == pFirst)
            break;
    }
    for (const CSwitchDef& def : kSwitches)
        EXPECT_TRUE(seen.count(Sw(def.nId))) << def.nId;
    for (const CListDef& def : kLists)
        EXPECT_TRUE(seen.count(Li(def.nId))) << def.nId;
    EXPECT_TRUE(seen.count(View().AvailableList()));
    EXPECT_TRUE(seen.count(View().SelectedList()));
    // The switches come in the group's order, then the settings, then the channel lists.
    EXPECT_EQ(Sw(kMenuEnable)->nextInFocusChain(), Sw(kVox));
    m_frame.hide();
}

TEST_F(ViewTest, TabStopsAreTheFormsControlsOnly) {
    m_frame.show();
    Sw(kMenuEnable)->setFocus();
    // Tab from the first switch all the way round: every stop on the way is a control of the
    // form, none an invisible part of the window around it.
    QWidget* w = Sw(kMenuEnable);
    std::vector<QWidget*> stops;
    for (int i = 0; i < 200; ++i) {
        w = w->nextInFocusChain();
        if (w == Sw(kMenuEnable))
            break;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(&m_frame))
            stops.push_back(w);
    }
    ASSERT_FALSE(stops.empty());
    for (QWidget* pStop : stops)
        EXPECT_TRUE(View().isAncestorOf(pStop)) << pStop->metaObject()->className();
    // The channel lists, then the grid, then "Frequency List".
    ASSERT_GE(stops.size(), 3U);
    EXPECT_EQ(stops[stops.size() - 3], View().SelectedList());
    EXPECT_EQ(stops[stops.size() - 2], static_cast<QWidget*>(View().ChannelGrid()));
    EXPECT_EQ(stops.back(), View().FrequencyListButton());
    m_frame.hide();
}

// --- the older radio's form ---

namespace {

class OlderViewTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_frame.NewDocument()); }
    CWR7310View& View() { return m_frame.View(); }
    QCheckBox* Sw(int nId) { return View().Switch(nId); }

    CGuiTestApp m_t{"", OldVariant()};
    CMainFrame m_frame{m_t.App()};
};

} // namespace

TEST_F(OlderViewTest, FormOffersNeitherChannelSetNorChannelNumber) {
    std::set<QString> shown;
    for (QCheckBox* pBox : View().findChildren<QCheckBox*>())
        if (pBox->isVisibleTo(&View()))
            shown.insert(pBox->text());
    const std::set<QString> expected = {"VOX ",
                                        "Button Beep ",
                                        "Call Tone ",
                                        "Comm Range Alarm ",
                                        "Manual TX Power Set",
                                        "Battery Save ",
                                        "Tail Cut Signal Transmit ",
                                        "Keypad Lock ",
                                        "Frequency Set ",
                                        "Signaling Set ",
                                        "Default Set Mode "};
    EXPECT_EQ(shown, expected);
    EXPECT_FALSE(Sw(kMenuEnable)->isVisibleTo(&View())); // read, hidden, never stored
}

TEST_F(OlderViewTest, SwitchesStandInThreeColumnsOfFourRows) {
    const std::vector<std::vector<int>> kColumns = {
        {kVox, kButtonBeep, kCallTone, kRangeAlarm},
        {kManualTxPower, kBatterySave, kTailCut, kKeypadLock},
        {kFrequencySet, kSignalingSet, kDefaultSetMode}};
    int nPreviousX = -1;
    for (const auto& column : kColumns) {
        const int x = Sw(column[0])->x();
        EXPECT_GT(x, nPreviousX);
        nPreviousX = x;
        for (std::size_t row = 0; row < column.size(); ++row) {
            EXPECT_EQ(Sw(column[row])->x(), x) << column[row];
            EXPECT_EQ(Sw(column[row])->y(), Sw(kColumns[0][row])->y()) << column[row];
            if (row > 0) {
                EXPECT_GT(Sw(column[row])->y(), Sw(column[row - 1])->y()) << column[row];
            }
        }
    }
}

TEST_F(OlderViewTest, NewDocumentLeavesEveryShownSwitchUsable) {
    for (QCheckBox* pBox : View().findChildren<QCheckBox*>())
        if (pBox->isVisibleTo(&View())) {
            EXPECT_TRUE(pBox->isEnabled()) << pBox->text().toStdString();
        }
    // "Menu Enable " follows bit 5 of 0x10C, which the "Revert Channel:" list stores.
    EXPECT_FALSE(Sw(kMenuEnable)->isChecked());
    m_t.App().Image()[0x10C] |= 0x20;
    View().LoadFromImage();
    EXPECT_TRUE(Sw(kMenuEnable)->isChecked());
    View().List(kCboRevert)->setCurrentIndex(0);
    View().StoreControls();
    EXPECT_EQ(m_frame.Document().Data()[0x10C] & 0x20, 0);
}

TEST_F(OlderViewTest, ChannelListsHoldEightAndTurnWithEveryWheelStep) {
    CWheelComboBox* pAvail = View().AvailableList();
    ASSERT_EQ(pAvail->count(), 8);
    EXPECT_EQ(pAvail->itemText(7), "8");
    emit View().SelectedList()->aboutToDropDown();
    EXPECT_EQ(View().SelectedList()->count(), 8);

    m_t.App().Image()[0x100] = 8;
    View().LoadFromImage();
    std::int64_t nNow = 1000;
    pAvail->SetClock([&nNow] { return nNow; });
    for (int nExpected : {6, 5, 4}) {
        nNow += 10; // far quicker than the newer list lets a wheel turn
        QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(pAvail, &e);
        EXPECT_EQ(pAvail->currentIndex(), nExpected);
    }
    EXPECT_EQ(m_frame.Document().Data()[0x100], 5);
}
