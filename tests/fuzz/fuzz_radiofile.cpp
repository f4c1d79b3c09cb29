// SPDX-License-Identifier: GPL-3.0-or-later
// Radio files of both models as they come: any bytes, any length. Properties: a file that
// does not open changes nothing in the image; one that opens saves as a file of the model's
// size, and open -> save -> open -> save gives the same file twice (a saved file is stable).
#include "FuzzSupport.h"
#include "app/WR7310App.h"
#include "app/WR7310Doc.h"
#include "variants/Variant.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    CFuzzInput input(pData, nSize);
    const CVariant& v = (input.Byte() & 1) ? OldVariant() : XtraVariant();
    const std::string strIn = FuzzDir() + "/in" + std::string(v.strFileExt);
    const std::string strOnce = FuzzDir() + "/once" + std::string(v.strFileExt);
    const std::string strTwice = FuzzDir() + "/twice" + std::string(v.strFileExt);
    WriteWholeFile(strIn, input.Rest());

    CWR7310App app(v, FuzzDir() + "/none.ini");
    CSilentNotifier notifier;
    app.SetNotifier(&notifier);
    for (std::size_t a = 0; a < app.Image().size(); ++a)
        app.Image()[a] = static_cast<std::uint8_t>(a * 7 + 3);
    const std::vector<std::uint8_t> before(app.Image().begin(), app.Image().end());

    CWR7310Doc doc(app);
    if (!doc.OnOpenDocument(strIn)) {
        FuzzCheck(std::equal(before.begin(), before.end(), app.Image().begin()),
                  "a file that does not open leaves the image as it was");
        FuzzCheck(notifier.m_nMessages == 1, "a file that does not open is reported once");
        return 0;
    }
    FuzzCheck(doc.OnSaveDocument(strOnce), "an opened file saves");
    const std::vector<std::uint8_t> once = ReadWholeFile(strOnce);
    FuzzCheck(once.size() == v.nSignatureFieldSize + v.nImageSize,
              "saved file has the model's size");

    CWR7310Doc again(app);
    FuzzCheck(again.OnOpenDocument(strOnce), "a saved file opens");
    const std::vector<std::uint8_t> image(app.Image().begin(), app.Image().end());
    FuzzCheck(again.OnSaveDocument(strTwice), "a reopened file saves");
    FuzzCheck(ReadWholeFile(strTwice) == once, "open -> save -> open -> save is stable");
    FuzzCheck(std::equal(image.begin(), image.end(), app.Image().begin()),
              "saving a reopened file changes its image no more");
    return 0;
}
