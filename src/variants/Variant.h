// SPDX-License-Identifier: GPL-3.0-or-later
// One description per radio model: the image layout, the transfer plans, the radio file and
// the texts that differ between the two programs. Every layer reaches image fields through
// this description, never through literal addresses, so that both programs share one code
// base.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

// A run of image bytes.
struct CAddrRange {
    std::uint16_t nStart = 0;
    std::uint16_t nLength = 0;

    constexpr std::uint16_t End() const { return static_cast<std::uint16_t>(nStart + nLength); }
    constexpr bool Contains(std::size_t nAddr) const { return nAddr >= nStart && nAddr < End(); }
};

// One bit of one image byte (bit 0 is the least significant).
struct CBitField {
    std::uint16_t nAddr = 0;
    std::uint8_t nBit = 0;
};

// A table of fixed-size records; records are numbered from 1.
struct CRecordTable {
    std::uint16_t nBase = 0;
    std::uint16_t nRecordSize = 0;
    std::uint16_t nCount = 0;

    constexpr std::uint16_t RecordAddr(int nNumber) const {
        return static_cast<std::uint16_t>(nBase + nRecordSize * (nNumber - 1));
    }
    constexpr CAddrRange Range() const {
        return {nBase, static_cast<std::uint16_t>(nRecordSize * nCount)};
    }
};

// Channel records: offsets inside one record.
struct CChannelLayout {
    CRecordTable table;
    std::uint8_t nFreqNumberOffset = 1; // whole byte: frequency-table entry number
    std::uint8_t nSignalCodeOffset = 4; // whole byte: 0 = "OFF", else the code number
    std::uint8_t nScanOffset = 6;       // bit 0: 1 = "Add", 0 = "Del"
};

// The "Feature Switch" check boxes. Switches a model lacks are empty.
struct CFeatureSwitches {
    CBitField
        menuEnable; // master of VOX, Button Beep, Call Tone, Comm Range Alarm, Manual TX Power
    bool bMenuEnableStored; // false: shown from the image but never stored (older model)
    CBitField vox;
    CBitField buttonBeep;
    CBitField callTone;
    CBitField manualTxPower;
    CBitField rangeAlarm;
    std::optional<CBitField> channelSet; // master of Frequency Set, Signaling Set, Channel Number
    CBitField frequencySet;
    CBitField signalingSet;
    std::optional<CBitField> channelNumber;
    CBitField defaultSetMode;
    CBitField batterySave;
    CBitField tailCut;
    CBitField keypadLock;
};

// The "Feature Setting" lists.
struct CFeatureSettings {
    std::uint16_t nVoxLevel = 0;      // whole byte, 0 = "OFF", 1..5
    CBitField buttonBeepOn;           // 0 "OFF", 1 "ON"
    std::uint16_t nCallToneLevel = 0; // whole byte, 0 = "OFF", 1..5
    CBitField rangeAlarmOn;           // 0 "OFF", 1 "ON"
    CBitField txPowerHigh;            // 0 "Low", 1 "High"
    std::uint16_t nTotSetting = 0;    // whole byte, 0 "OFF", 1 "1 Minute", 2 "5 Minute"
    CBitField revertLastStop;         // 0 "Current CH", 1 "Last Stop CH"
    std::uint16_t nSquelchLevel = 0;  // whole byte, 1..4 (list index + 1)
};

// Frequency records: where the parts of one record lie.
struct CFreqRecordLayout {
    std::uint8_t nRxCountOffset = 0; // 24-bit count, little-endian
    std::uint8_t nTxCountOffset = 3; // 24-bit count, little-endian
    std::uint8_t nCodeOffset = 6;    // the byte holding both step codes and the marker
    std::uint8_t nRxCodeShift = 0;   // two bits
    std::uint8_t nTxCodeShift = 2;   // two bits
    std::uint8_t nNonStandardBit = 4;
};

// One block of the tune-information read: the block at nAddr is read whole and nCopyLength
// of its bytes, from nCopyOffset on, go into the document at nAddr + nCopyOffset.
struct CTuneReadBlock {
    std::uint16_t nAddr = 0;
    std::uint8_t nCopyOffset = 0;
    std::uint8_t nCopyLength = 0;
};

// One block of a whole-image write.
struct CWriteBlock {
    std::uint16_t nAddr = 0;
    std::uint8_t nLength = 8;
};

// Fixed defaults of a new document: bytes set at an address.
struct CDefaultBytes {
    std::uint16_t nAddr = 0;
    std::vector<std::uint8_t> bytes;
};

// Where the "Feature Switch" check boxes stand on the form.
enum class SwitchLayout {
    MasterColumns, // each master above its indented dependents, then a column of the rest
    ThreeColumns,  // no masters shown: three plain columns
};

// How the Radio Information box shows the radio's range, version and local oscillator.
struct CRadioInfoFormat {
    bool bRangeFromRadio = false;      // the image's range bytes, not the working range
    std::string_view strRangeFmt;      // printf of the low and high limit in MHz
    bool bVersionMarked = false;       // "V" before a version text that is not empty
    std::string_view strOscillatorFmt; // printf of the local oscillator in MHz
};

// How the settings printout lays out its pages; the desktop picks the painter by it.
enum class PrintLayout {
    Paged,   // header, radio block and as many pages of rows as the settings fill
    OnePage, // one page in 0.01 inch drawn in one pass; Print goes straight to the printer
};

struct CVariant {
    // --- identity and texts ---
    std::string_view strModel;           // "WR7310SXtra": window title, status pane, file type
    std::string_view strAppTitle;        // idle text and application title
    std::string_view strAboutCaption;    // "About WR7310SXtra"
    std::string_view strAboutVersion;    // "Version 1.02.03"
    std::string_view strFileExt;         // ".wr73"
    std::string_view strFileFilter;      // "(*.wr73)"
    std::string_view strRegistryKey;     // key under which the recent-file list lives
    std::string_view strSignature;       // radio file signature text
    std::string_view strExpectedVersion; // firmware version the program expects ("1.02")
    std::string_view strHelpFile;        // "WR7310S.chm"
    std::string_view strCliName;         // "xtra" or "old": the command-line --model value

    // --- image layout ---
    std::uint16_t nImageSize = 0;
    CChannelLayout channels;
    std::uint16_t nChannelCount = 0;   // number of channels in use
    std::uint16_t nCurrentChannel = 0; // the radio's selected channel
    CFeatureSwitches switches;
    CFeatureSettings settings;
    CBitField keyTuneSwitch; // cleared on every store of the form
    CAddrRange modelName;
    CAddrRange serialNumber;
    CAddrRange rangeBytes;      // low limit (3 bytes) then high limit (3 bytes)
    CAddrRange localOscillator; // 16-bit kHz value
    CRecordTable freqTable;     // frequency records of 8 bytes
    CFreqRecordLayout freqRecord;
    CAddrRange firmwareVersion;
    CAddrRange tuneFrequency; // 3-byte count and the step-code byte
    CAddrRange embeddedInfo;
    CRadioInfoFormat info;

    // --- what the document holds and what the transfers move ---
    std::vector<CAddrRange> docSyncRanges;       // copied by SyncDocToImage / SyncImageToDoc
    std::vector<CWriteBlock> writePlan;          // whole-image write, in order
    int nWriteProgressDivisor = 1;               // progress after block k is (100 * k) / divisor
    std::optional<std::uint16_t> rangeCheckAddr; // 6 bytes read before a write, if any
    std::vector<CTuneReadBlock> tuneReadPlan;

    // --- working range ---
    bool bRangeFromSettings = true; // false: the fixed band below
    double dFixedMinFreq = 0.0;
    double dFixedMaxFreq = 0.0;

    // --- radio file ---
    std::size_t nSignatureFieldSize = 128;
    std::vector<CAddrRange> fileZeroRanges; // written as zeros, skipped when a file is read
    // Held by the document only: saved from and loaded into the document, never copied
    // between the document and the image buffer.
    std::vector<CAddrRange> fileDocRanges;

    // --- new document ---
    std::vector<CDefaultBytes>
        newDocBytes; // fixed bytes, applied after the working copy is cleared
    std::vector<std::uint8_t> defaultFreqNumbers; // channels 1.. get these frequency numbers
    int nDefaultScanChannels = 8;                 // channels 1..n get ScanAdd

    // --- settings printout ---
    PrintLayout printLayout = PrintLayout::Paged;

    // Number of 8-byte blocks of a whole-image read.
    constexpr int ReadBlockCount() const { return nImageSize / 8; }
    // Progress in percent after read block i (counted from 0).
    constexpr int ReadProgress(int nBlock) const { return (800 * nBlock) / (nImageSize - 8); }
    std::size_t FileSize() const { return nSignatureFieldSize + nImageSize; }

    // --- desktop presentation and service tools ---
    SwitchLayout switchLayout = SwitchLayout::MasterColumns;
    // After one accepted wheel step on "Available CHs:", further steps within this many
    // milliseconds are ignored; 0: the list turns with every step like any other.
    int nChannelWheelPauseMs = 0;
    std::string_view strTuneFreqLabel; // static before the tune frequency edit
    std::string_view strFileVersion;   // "1.2.3.0": the program file's version
};

// The model whose radio file this is: the signature at the start of the file names it; a file
// without a known signature is taken by its size (nFileSize, when known). nullptr: neither
// tells.
const CVariant* VariantOfFile(std::span<const std::uint8_t> head,
                              std::optional<std::size_t> nFileSize);

// The newer radio (2 KiB image), program WR7310SXtra.
const CVariant& XtraVariant();
// The older radio (1 KiB image), program WR7310S.
const CVariant& OldVariant();
// The variant whose command-line name is strCliName ("xtra", "old"), or nullptr.
const CVariant* FindVariant(std::string_view strCliName);
