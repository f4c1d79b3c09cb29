// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/FeaturePanel.h"

#include "image/ImageFields.h"

#include <algorithm>

namespace feature {

namespace {

template <class Container> int IndexOf(const Container& defs, int nId) {
    for (std::size_t i = 0; i < defs.size(); ++i)
        if (defs[i].nId == nId)
            return static_cast<int>(i);
    return -1;
}

} // namespace

const CSwitchDef* FindSwitch(int nId) {
    const int i = IndexOf(kSwitches, nId);
    return i < 0 ? nullptr : &kSwitches[static_cast<std::size_t>(i)];
}

const CListDef* FindList(int nId) {
    const int i = IndexOf(kLists, nId);
    return i < 0 ? nullptr : &kLists[static_cast<std::size_t>(i)];
}

std::optional<CBitField> SwitchField(const CVariant& variant, int nId) {
    const CFeatureSwitches& s = variant.switches;
    switch (nId) {
    case kMenuEnable:
        return s.menuEnable;
    case kVox:
        return s.vox;
    case kButtonBeep:
        return s.buttonBeep;
    case kCallTone:
        return s.callTone;
    case kManualTxPower:
        return s.manualTxPower;
    case kRangeAlarm:
        return s.rangeAlarm;
    case kChannelSet:
        return s.channelSet;
    case kFrequencySet:
        return s.frequencySet;
    case kSignalingSet:
        return s.signalingSet;
    case kChannelNumber:
        return s.channelNumber;
    case kDefaultSetMode:
        return s.defaultSetMode;
    case kBatterySave:
        return s.batterySave;
    case kTailCut:
        return s.tailCut;
    case kKeypadLock:
        return s.keypadLock;
    default:
        return std::nullopt;
    }
}

bool SwitchStored(const CVariant& variant, int nId) {
    if (nId == kMenuEnable)
        return variant.switches.bMenuEnableStored;
    return SwitchField(variant, nId).has_value();
}

bool MasterGates(const CVariant& variant, int nMasterId) {
    return SwitchStored(variant, nMasterId);
}

bool SwitchEnabled(const CFeatureValues& values, const CVariant& variant, int nId) {
    const CSwitchDef* pDef = FindSwitch(nId);
    if (!pDef || pDef->nMaster == 0 || !MasterGates(variant, pDef->nMaster))
        return true;
    return values.Checked(pDef->nMaster);
}

CBitField ListField(const CVariant& variant, int nId) {
    const CFeatureSettings& s = variant.settings;
    switch (nId) {
    case kCboVox:
        return {s.nVoxLevel, 0};
    case kCboButtonBeep:
        return s.buttonBeepOn;
    case kCboCallTone:
        return {s.nCallToneLevel, 0};
    case kCboRangeAlarm:
        return s.rangeAlarmOn;
    case kCboTxPower:
        return s.txPowerHigh;
    case kCboTot:
        return {s.nTotSetting, 0};
    case kCboRevert:
        return s.revertLastStop;
    case kCboSquelch:
    default:
        return {s.nSquelchLevel, 0};
    }
}

bool CFeatureValues::Checked(int nId) const {
    const int i = IndexOf(kSwitches, nId);
    return i >= 0 && checks[static_cast<std::size_t>(i)];
}

void CFeatureValues::SetChecked(int nId, bool bChecked) {
    if (const int i = IndexOf(kSwitches, nId); i >= 0)
        checks[static_cast<std::size_t>(i)] = bChecked;
}

int CFeatureValues::Index(int nId) const {
    const int i = IndexOf(kLists, nId);
    return i < 0 ? -1 : indexes[static_cast<std::size_t>(i)];
}

void CFeatureValues::SetIndex(int nId, int nIndex) {
    if (const int i = IndexOf(kLists, nId); i >= 0)
        indexes[static_cast<std::size_t>(i)] = nIndex;
}

CFeatureValues LoadFeatures(std::span<const std::uint8_t> data, const CVariant& variant) {
    CFeatureValues values;
    for (const CSwitchDef& def : kSwitches)
        if (const auto f = SwitchField(variant, def.nId))
            values.SetChecked(def.nId, field::GetBit(data, *f));
    for (const CListDef& def : kLists) {
        const CBitField f = ListField(variant, def.nId);
        int nIndex = 0;
        switch (def.kind) {
        case ListKind::WholeByte:
            nIndex = data[f.nAddr];
            break;
        case ListKind::Bit:
            nIndex = field::GetBit(data, f) ? 1 : 0;
            break;
        case ListKind::BytePlusOne:
            nIndex = data[f.nAddr] - 1;
            break;
        }
        values.SetIndex(def.nId, nIndex >= 0 && nIndex < def.nItems ? nIndex : -1);
    }
    return values;
}

void StoreFeatures(const CFeatureValues& values, std::span<std::uint8_t> data,
                   const CVariant& variant) {
    for (const CSwitchDef& def : kSwitches)
        if (SwitchStored(variant, def.nId))
            field::SetBit(data, *SwitchField(variant, def.nId), values.Checked(def.nId));

    for (const CListDef& def : kLists) {
        const CBitField f = ListField(variant, def.nId);
        const int nIndex = values.Index(def.nId);
        switch (def.kind) {
        case ListKind::WholeByte:
            data[f.nAddr] = static_cast<std::uint8_t>(nIndex & 0xFF);
            break;
        case ListKind::Bit:
            field::SetBit(data, f, (nIndex & 1) != 0);
            break;
        case ListKind::BytePlusOne:
            data[f.nAddr] = static_cast<std::uint8_t>((nIndex + 1) & 0xFF);
            break;
        }
    }

    // A feature that is switched off keeps no setting, whatever its list shows; the switch
    // bits just written decide.
    for (const CListDef& def : kLists) {
        if (def.nSwitch == 0)
            continue;
        const auto sw = SwitchField(variant, def.nSwitch);
        if (!sw || field::GetBit(data, *sw))
            continue;
        const CBitField f = ListField(variant, def.nId);
        if (def.kind == ListKind::Bit)
            field::SetBit(data, f, false);
        else
            data[f.nAddr] = 0;
    }

    field::SetBit(data, variant.keyTuneSwitch, false);
}

int MaxChannels(const CVariant& variant) {
    return variant.channels.table.nCount;
}

CChannelSelection ClampChannelSelection(std::span<std::uint8_t> data, const CVariant& variant) {
    std::uint8_t& nCount = data[variant.nChannelCount];
    std::uint8_t& nCurrent = data[variant.nCurrentChannel];
    nCount = static_cast<std::uint8_t>(std::clamp<int>(nCount, 1, MaxChannels(variant)));
    if (nCurrent > nCount)
        nCurrent = nCount;
    return {nCount, nCurrent};
}

CChannelSelection ChangeChannelCount(std::span<std::uint8_t> data, const CVariant& variant,
                                     int nCount, int nKeptIndex) {
    nCount = std::clamp(nCount, 1, MaxChannels(variant));
    if (nKeptIndex >= nCount)
        nKeptIndex = nCount - 1;
    data[variant.nChannelCount] = static_cast<std::uint8_t>(nCount);
    data[variant.nCurrentChannel] = static_cast<std::uint8_t>(nKeptIndex + 1);
    return {nCount, nKeptIndex + 1};
}

void SetCurrentChannel(std::span<std::uint8_t> data, const CVariant& variant, int nChannel) {
    data[variant.nCurrentChannel] = static_cast<std::uint8_t>(std::clamp(nChannel, 0, 255));
}

} // namespace feature
