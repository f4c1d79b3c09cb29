// SPDX-License-Identifier: GPL-3.0-or-later
// Settings sources as they come, JSON or CSV, imported onto a new document or onto a base
// radio file of either model. The first byte chooses: bit 0 the model, bit 1 the format, bit 2
// a base (else a new document), bit 3 a settings file with a working range, bits 4-7 the base
// image (0: erased, else random bytes from that seed). Properties: the import returns (no
// crash, no exception, no runaway stack); a refusal changes nothing, says why in a bounded
// message and leaves no note; an accepted import exports again to a source that imports back
// onto its own result with no change.
#include "FuzzSupport.h"
#include "app/WR7310App.h"
#include "app/WR7310Doc.h"
#include "exchange/SettingsExchange.h"
#include "variants/Variant.h"

#include <algorithm>
#include <random>

namespace {

const std::string& RangeIni() {
    static const std::string strPath = [] {
        const std::string str = FuzzDir() + "/range.ini";
        const std::string strText = "[FreqRange]\nMinFreq=400\nMaxFreq=470\n";
        WriteWholeFile(str,
                       {reinterpret_cast<const std::uint8_t*>(strText.data()), strText.size()});
        return str;
    }();
    return strPath;
}

void FillBase(CWR7310Doc& doc, const CVariant& v, int nSeed) {
    std::vector<std::uint8_t> file = doc.SaveToBytes();
    std::mt19937 random(static_cast<std::uint32_t>(nSeed));
    for (std::size_t i = v.nSignatureFieldSize; i < file.size(); ++i)
        file[i] = nSeed == 0 ? 0xFF : static_cast<std::uint8_t>(random() & 0xFF);
    FuzzCheck(doc.OnOpenBytes(file, "base"), "a base of the model's size opens");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    CFuzzInput input(pData, nSize);
    const std::uint8_t nFlags = input.Byte();
    const CVariant& v = (nFlags & 1) ? OldVariant() : XtraVariant();
    const auto format = (nFlags & 2) ? exchange::ImportFormat::Csv : exchange::ImportFormat::Json;
    const bool bBase = (nFlags & 4) != 0;
    CWR7310App app(v, (nFlags & 8) ? RangeIni() : FuzzDir() + "/none.ini");
    CSilentNotifier notifier;
    app.SetNotifier(&notifier);
    CWR7310Doc doc(app);
    doc.OnNewDocument();
    if (bBase)
        FillBase(doc, v, nFlags >> 4);
    const std::vector<std::uint8_t> before = doc.SaveToBytes();

    const auto rest = input.Rest();
    const std::string strSource(rest.begin(), rest.end());
    exchange::CImportOptions options;
    options.strSourceName = "fuzz";
    options.bNewDocument = !bBase;
    const exchange::CImportResult r = exchange::ImportSettings(doc, strSource, format, options);
    if (!r.bOk) {
        FuzzCheck(doc.SaveToBytes() == before, "a refused import changes nothing");
        FuzzCheck(!r.strError.empty() && r.strError.size() < 1000, "a refusal says why, briefly");
        FuzzCheck(r.notes.empty(), "a refusal leaves no note");
        return 0;
    }
    FuzzCheck(r.nChanged >= 0 && r.nMissingChannels >= 0 && r.nMissingFreqs >= 0,
              "the counts are counts");
    const std::vector<std::uint8_t> imported = doc.SaveToBytes();
    const exchange::CSettingsListing listing = exchange::Decode(doc);
    const std::string strAgain = format == exchange::ImportFormat::Json
                                     ? exchange::JsonText(listing)
                                     : exchange::CsvText(listing);
    const exchange::CImportResult again = exchange::ImportSettings(doc, strAgain, format, options);
    FuzzCheck(again.bOk, "an export of an imported file imports back");
    FuzzCheck(again.nChanged == 0, "and changes no value");
    FuzzCheck(doc.SaveToBytes() == imported, "and no byte");
    return 0;
}
