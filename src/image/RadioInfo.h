// SPDX-License-Identifier: GPL-3.0-or-later
// The five texts of the Radio Information box, as both programs show them. The newer program
// shows its working range; the older one shows the radio's own range bytes in whole MHz and
// marks the version with a "V".
#pragma once

#include "image/FreqCodec.h"
#include "variants/Variant.h"

#include <cstdint>
#include <span>
#include <string>

struct CRadioInfoTexts {
    std::string strRange;
    std::string strModel;   // at most 16 characters
    std::string strSerial;  // at most 16 characters
    std::string strVersion; // at most 7 characters
    std::string strOscillator;
};

// The texts for an image of the variant's model (the image buffer after a read); range is the
// working range, which the newer program shows.
CRadioInfoTexts RadioInfoTexts(const CVariant& v, CFreqRange range,
                               std::span<const std::uint8_t> image);
