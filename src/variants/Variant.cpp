// SPDX-License-Identifier: GPL-3.0-or-later
#include "variants/Variant.h"

#include <algorithm>
#include <initializer_list>

namespace {

// Every 8-byte block of the image in address order, except those starting in a skipped
// range; the block at nShortAddr carries only nShortLength bytes.
std::vector<CWriteBlock> BuildWritePlan(std::uint16_t nImageSize,
                                        std::initializer_list<CAddrRange> skipped,
                                        std::uint16_t nShortAddr, std::uint8_t nShortLength) {
    std::vector<CWriteBlock> plan;
    for (std::uint16_t a = 0; a < nImageSize; a = static_cast<std::uint16_t>(a + 8)) {
        const bool bSkip = std::any_of(skipped.begin(), skipped.end(),
                                       [a](const CAddrRange& r) { return r.Contains(a); });
        if (!bSkip)
            plan.push_back({a, a == nShortAddr ? nShortLength : std::uint8_t{8}});
    }
    return plan;
}

CDefaultBytes Text(std::uint16_t nAddr, std::string_view str) {
    return {nAddr, std::vector<std::uint8_t>(str.begin(), str.end())};
}

const std::vector<std::uint8_t> kDefaultFreqNumbers{7, 15, 16, 31, 34, 45, 48, 52};

CVariant MakeXtra() {
    CVariant v;
    v.strModel = "WR7310SXtra";
    v.strAppTitle = "WR7310SXtra Programming Software";
    v.strAboutCaption = "About WR7310SXtra";
    v.strAboutVersion = "Version 1.02.03";
    v.strFileExt = ".wr73";
    v.strFileFilter = "(*.wr73)";
    v.strRegistryKey = "Velmor-MT-7310SXtra";
    v.strSignature = "This is PC Programe for WR7310SXtra. [070327]";
    v.strExpectedVersion = "1.02";
    v.strHelpFile = "WR7310S.chm";
    v.strCliName = "xtra";

    v.nImageSize = 0x800;
    v.channels = {{0x000, 8, 99}, 1, 4, 6};
    v.nChannelCount = 0x318;
    v.nCurrentChannel = 0x319;
    v.switches = {
        .menuEnable = {0x324, 6},
        .bMenuEnableStored = true,
        .vox = {0x323, 1},
        .buttonBeep = {0x323, 7},
        .callTone = {0x323, 5},
        .manualTxPower = {0x31A, 6},
        .rangeAlarm = {0x323, 6},
        .channelSet = CBitField{0x31A, 7},
        .frequencySet = {0x324, 0},
        .signalingSet = {0x324, 1},
        .channelNumber = CBitField{0x323, 3},
        .defaultSetMode = {0x324, 2},
        .batterySave = {0x323, 2},
        .tailCut = {0x324, 3},
        .keypadLock = {0x323, 0},
    };
    v.settings = {
        .nVoxLevel = 0x320,
        .buttonBeepOn = {0x31A, 2},
        .nCallToneLevel = 0x321,
        .rangeAlarmOn = {0x31A, 3},
        .txPowerHigh = {0x31A, 5},
        .nTotSetting = 0x325,
        .revertLastStop = {0x324, 5},
        .nSquelchLevel = 0x322,
    };
    v.keyTuneSwitch = {0x324, 7};
    v.modelName = {0x328, 16};
    v.serialNumber = {0x338, 16};
    v.rangeBytes = {0x348, 6};
    v.localOscillator = {0x34E, 2};
    v.freqTable = {0x350, 8, 99};
    v.firmwareVersion = {0x668, 16};
    v.tuneFrequency = {0x678, 4};
    v.embeddedInfo = {0x780, 128};
    v.info = {.bRangeFromRadio = false,
              .strRangeFmt = "%.5f - %.5f MHz",
              .bVersionMarked = false,
              .strOscillatorFmt = "%.2f MHz"};

    // 0x31B..0x31F and 0x67C..0x77F live only in the image buffer.
    v.docSyncRanges = {{0x000, 0x31B}, {0x320, 0x35C}, {0x780, 0x80}};
    v.writePlan = BuildWritePlan(v.nImageSize, {{0x328, 0x20}, {0x668, 0x198}}, 0x320, 6);
    v.nWriteProgressDivisor = 202;
    v.rangeCheckAddr = 0x348;
    v.tuneReadPlan = {{0x320, 4, 1}, {0x328, 0, 8}, {0x330, 0, 8}, {0x348, 0, 6},
                      {0x660, 0, 0}, {0x668, 0, 8}, {0x670, 0, 8}, {0x678, 0, 4}};

    v.bRangeFromSettings = true;

    v.newDocBytes = {
        {0x318, {8, 1, 0xC4}},
        {0x320, {0x00, 0x01, 0x02, 0xE7, 0xCF, 0x01, 0x28, 0x3E}},
        Text(0x328, "MT-7310"),
        {0x34E, {0x02, 0x53}},
        {0x678, {0x50, 0x91, 0x00, 0x02}},
    };
    v.defaultFreqNumbers = kDefaultFreqNumbers;
    v.nDefaultScanChannels = 8;

    v.switchLayout = SwitchLayout::MasterColumns;
    v.nChannelWheelPauseMs = 300;
    v.strTuneFreqLabel = "Tune Frequency[MHz]:";
    v.strFileVersion = "1.2.3.0";
    return v;
}

CVariant MakeOld() {
    CVariant v;
    v.strModel = "WR7310S";
    v.strAppTitle = "WR7310S Programming Software";
    v.strAboutCaption = "About WR7310S";
    v.strAboutVersion = "Version 1.01.08";
    v.strFileExt = ".w73";
    v.strFileFilter = "(*.w73)";
    v.strRegistryKey = "Local AppWizard-Generated Applications";
    v.strSignature = "This is PC Programe for WR7310S. [040113]";
    v.strExpectedVersion = "1.01";
    v.strHelpFile = "WR7310S.chm";
    v.strCliName = "old";

    v.nImageSize = 0x400;
    v.channels = {{0x000, 16, 8}, 1, 4, 13};
    v.nChannelCount = 0x100;
    v.nCurrentChannel = 0x101;
    v.switches = {
        .menuEnable = {0x10C, 5},
        .bMenuEnableStored = false,
        .vox = {0x10B, 1},
        .buttonBeep = {0x10B, 7},
        .callTone = {0x10B, 5},
        .manualTxPower = {0x102, 6},
        .rangeAlarm = {0x10B, 6},
        .channelSet = std::nullopt,
        .frequencySet = {0x10C, 0},
        .signalingSet = {0x10C, 1},
        .channelNumber = std::nullopt,
        .defaultSetMode = {0x10C, 2},
        .batterySave = {0x10B, 2},
        .tailCut = {0x10C, 3},
        .keypadLock = {0x10B, 0},
    };
    v.settings = {
        .nVoxLevel = 0x108,
        .buttonBeepOn = {0x102, 2},
        .nCallToneLevel = 0x109,
        .rangeAlarmOn = {0x102, 3},
        .txPowerHigh = {0x102, 5},
        .nTotSetting = 0x10D,
        .revertLastStop = {0x10C, 5},
        .nSquelchLevel = 0x10A,
    };
    v.keyTuneSwitch = {0x10C, 7};
    v.modelName = {0x110, 16};
    v.serialNumber = {0x120, 16};
    v.rangeBytes = {0x138, 6};
    v.localOscillator = {0x13E, 2};
    v.freqTable = {0x140, 8, 56};
    v.firmwareVersion = {0x360, 16};
    v.tuneFrequency = {0x370, 4};
    v.embeddedInfo = {0x380, 128};
    v.info = {.bRangeFromRadio = true,
              .strRangeFmt = "%.0f - %.0fMHz",
              .bVersionMarked = true,
              .strOscillatorFmt = "%.2fMHz"};

    v.docSyncRanges = {{0x000, 0x80},  {0x100, 0x03}, {0x108, 0x06},
                       {0x110, 0x1F0}, {0x360, 0x14}, {0x380, 0x80}};
    v.writePlan =
        BuildWritePlan(v.nImageSize, {{0x080, 0x80}, {0x110, 0x30}, {0x300, 0x100}}, 0x108, 6);
    v.nWriteProgressDivisor = 73;
    v.rangeCheckAddr = std::nullopt;
    v.tuneReadPlan = {{0x108, 4, 1}, {0x110, 0, 8}, {0x118, 0, 8}, {0x130, 0, 8},
                      {0x138, 0, 6}, {0x360, 0, 8}, {0x368, 0, 8}, {0x370, 0, 4}};

    v.bRangeFromSettings = false;
    v.dFixedMinFreq = 460.0;
    v.dFixedMaxFreq = 470.0;

    v.fileZeroRanges = {{0x080, 0x80}, {0x103, 1}, {0x10E, 2}, {0x300, 0x60}, {0x370, 0x10}};
    v.fileDocRanges = {{0x104, 4}};

    v.newDocBytes = {
        {0x100, {8, 1, 0xC4}},  {0x108, {0x00, 0x01, 0x02, 0xE7, 0xCF, 0x01, 0x28, 0x3E}},
        Text(0x110, "MT-7310"), {0x138, {0x80, 0x1F, 0x01, 0xC0, 0x25, 0x01}},
        {0x13E, {0x02, 0x53}},
    };
    v.defaultFreqNumbers = kDefaultFreqNumbers;
    v.nDefaultScanChannels = 8;

    v.printLayout = PrintLayout::OnePage;
    v.switchLayout = SwitchLayout::ThreeColumns;
    v.nChannelWheelPauseMs = 0;
    v.strTuneFreqLabel = "Tune Frequency:";
    v.strFileVersion = "1.1.8.0";
    return v;
}

} // namespace

const CVariant& XtraVariant() {
    static const CVariant v = MakeXtra();
    return v;
}

const CVariant& OldVariant() {
    static const CVariant v = MakeOld();
    return v;
}

const CVariant* FindVariant(std::string_view strCliName) {
    for (const CVariant* p : {&XtraVariant(), &OldVariant()})
        if (p->strCliName == strCliName)
            return p;
    return nullptr;
}

const CVariant* VariantOfFile(std::span<const std::uint8_t> head,
                              std::optional<std::size_t> nFileSize) {
    const CVariant* all[] = {&XtraVariant(), &OldVariant()};
    for (const CVariant* p : all) {
        const std::string_view sig = p->strSignature;
        if (head.size() > sig.size() && std::equal(sig.begin(), sig.end(), head.begin()) &&
            head[sig.size()] == 0)
            return p;
    }
    if (nFileSize)
        for (const CVariant* p : all)
            if (*nFileSize == p->FileSize())
                return p;
    return nullptr;
}
