// SPDX-License-Identifier: GPL-3.0-or-later
#include "variants/Variant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

int BytesSent(const CVariant& v, std::uint16_t nAddr) {
    for (const CWriteBlock& b : v.writePlan)
        if (nAddr >= b.nAddr && nAddr < b.nAddr + b.nLength)
            return 1;
    return 0;
}

TEST(WritePlan, NewerRadioSkipsIdentityAndServiceAreas) {
    const CVariant& v = XtraVariant();
    EXPECT_EQ(v.writePlan.size(), 201u);
    EXPECT_EQ(v.writePlan.front().nAddr, 0x000);
    EXPECT_EQ(v.writePlan.back().nAddr, 0x660);
    for (std::uint16_t a = 0; a < v.nImageSize; ++a) {
        const bool bProtected = (a >= 0x326 && a < 0x348) || a >= 0x668;
        ASSERT_EQ(BytesSent(v, a), bProtected ? 0 : 1) << std::hex << a;
    }
    // Addresses increase strictly: the radio receives the blocks in address order.
    for (std::size_t i = 1; i < v.writePlan.size(); ++i)
        ASSERT_LT(v.writePlan[i - 1].nAddr, v.writePlan[i].nAddr);
}

TEST(WritePlan, OlderRadioSendsSeventyFourBlocks) {
    const CVariant& v = OldVariant();
    EXPECT_EQ(v.writePlan.size(), 74u);
    for (std::uint16_t a = 0; a < v.nImageSize; ++a) {
        const bool bSkipped = (a >= 0x080 && a < 0x100) || (a >= 0x10E && a < 0x140) || a >= 0x300;
        ASSERT_EQ(BytesSent(v, a), bSkipped ? 0 : 1) << std::hex << a;
    }
}

TEST(ReadProgress, EndsAtOneHundred) {
    EXPECT_EQ(XtraVariant().ReadProgress(0), 0);
    EXPECT_EQ(XtraVariant().ReadProgress(255), 100);
    EXPECT_EQ(XtraVariant().ReadProgress(127), 49);
    EXPECT_EQ(OldVariant().ReadProgress(127), 100);
    EXPECT_EQ(XtraVariant().ReadBlockCount(), 256);
    EXPECT_EQ(OldVariant().ReadBlockCount(), 128);
}

TEST(DocumentRanges, LeaveTheImageOnlyBytesOut) {
    const CVariant& v = XtraVariant();
    auto held = [&v](std::uint16_t a) {
        for (const CAddrRange& r : v.docSyncRanges)
            if (r.Contains(a))
                return true;
        return false;
    };
    for (std::uint16_t a = 0; a < v.nImageSize; ++a) {
        const bool bImageOnly = (a >= 0x31B && a <= 0x31F) || (a >= 0x67C && a <= 0x77F);
        ASSERT_EQ(held(a), !bImageOnly) << std::hex << a;
    }
}

TEST(Variants, FoundByCommandLineName) {
    EXPECT_EQ(FindVariant("xtra"), &XtraVariant());
    EXPECT_EQ(FindVariant("old"), &OldVariant());
    EXPECT_EQ(FindVariant("other"), nullptr);
    EXPECT_EQ(XtraVariant().FileSize(), 2176u);
    EXPECT_EQ(OldVariant().FileSize(), 1152u);
}

// A radio file's first bytes: a text, then zero bytes up to the end of the signature field.
std::vector<std::uint8_t> Head(std::string_view strText) {
    std::vector<std::uint8_t> head(128, 0);
    std::copy(strText.begin(), strText.end(), head.begin());
    return head;
}

TEST(VariantOfFile, SignatureFirstThenSize) {
    const std::string_view kNewer = "This is PC Programe for WR7310SXtra. [070327]";
    const std::string_view kOlder = "This is PC Programe for WR7310S. [040113]";
    struct {
        std::string strHead;
        std::optional<std::size_t> nSize;
        const CVariant* pExpected;
    } const kCases[] = {
        {std::string(kNewer), 2176, &XtraVariant()},
        {std::string(kOlder), 1152, &OldVariant()},
        {std::string(kOlder), 2176, &OldVariant()},  // the signature outweighs the size
        {std::string(kNewer), 1152, &XtraVariant()}, // a cut newer file is still a newer one
        {std::string(kOlder), std::nullopt, &OldVariant()},
        {"", 1152, &OldVariant()}, // no signature: the size decides
        {"", 2176, &XtraVariant()},
        {"Some other text", 2176, &XtraVariant()},
        {std::string(kOlder) + "!", 3000, nullptr}, // a longer text is no signature
        {"", 2000, nullptr},
        {"", std::nullopt, nullptr},
        {std::string(kNewer.substr(0, 30)), 1024, nullptr},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(VariantOfFile(Head(c.strHead), c.nSize), c.pExpected)
            << c.strHead << " / " << c.nSize.value_or(0);
    }
    // Fewer bytes than the signature and its zero: nothing to compare.
    const auto head = Head(kOlder);
    EXPECT_EQ(VariantOfFile(std::span(head).first(kOlder.size()), std::nullopt), nullptr);
}

} // namespace
