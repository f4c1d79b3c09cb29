// SPDX-License-Identifier: GPL-3.0-or-later
// Character rules of the validated edits and the Tab/Enter walk of the grids.
#include "freqedit/EditRules.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct FilterCase {
    int nType;
    char cDecimal;
    std::string strAccepted;
    std::string strRefused;
};

void PrintTo(const FilterCase& c, std::ostream* os) {
    *os << "type " << c.nType << " decimal '" << c.cDecimal << "'";
}

class FilterSetTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterSetTest, AcceptsExactlyItsSet) {
    const FilterCase& c = GetParam();
    const std::string strSet = FilterCharSet(c.nType, c.cDecimal);
    for (const char ch : c.strAccepted)
        EXPECT_TRUE(IsFilterCharAllowed(strSet, static_cast<unsigned char>(ch))) << ch;
    for (const char ch : c.strRefused)
        EXPECT_FALSE(IsFilterCharAllowed(strSet, static_cast<unsigned char>(ch))) << ch;
    // Backspace, line feed and carriage return pass whatever the set.
    for (const int nControl : {8, 10, 13})
        EXPECT_TRUE(IsFilterCharAllowed(strSet, nControl));
    for (const int nControl : {0, 1, 9, 27, 127, 0x1F4})
        EXPECT_FALSE(IsFilterCharAllowed(strSet, nControl));
}

INSTANTIATE_TEST_SUITE_P(
    Types, FilterSetTest,
    ::testing::Values(FilterCase{3, '.', "0123456789abcdefABCDEF", "gG.,-* xX"},
                      FilterCase{4, '.', "0123456789.", ",aAeE-+ "},
                      FilterCase{4, ',', "0123456789.,", "aAeE-+ "},
                      FilterCase{5, '.', "0123456789abcdABCD*#", "eEfF., "},
                      FilterCase{0, '.', "", "0aA.,"}, FilterCase{6, ',', "", "0aA.,"}));

TEST(FilterPasteTest, EveryCharacterMustPassWithoutCaseConversion) {
    const std::string strHex = FilterCharSet(kFilterHex, '.');
    const std::string strFreq = FilterCharSet(kFilterFrequency, '.');
    struct {
        const std::string& strSet;
        std::string strText;
        bool bAllowed;
    } const cases[] = {
        {strHex, "1a", true},
        {strHex, "1g", false},
        {strHex, "DEADbeef", true},
        {strHex, "12 34", false},
        {strFreq, "462.55000", true},
        {strFreq, "462,55", false},
        {strFreq, "462.5\r\n", true},
        {strFreq,
         std::string("46\0"
                     "2",
                     4),
         false},
        {strFreq, "\xE4", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsFilterTextAllowed(c.strSet, c.strText), c.bAllowed) << c.strText;
}

constexpr char kDropped = '\x02';

struct TypedCase {
    int nType;
    char cDecimal;
    // typed characters and what each inserts (X: dropped)
    std::string strTyped;
    std::string strInserted;
};

void PrintTo(const TypedCase& c, std::ostream* os) {
    *os << "type " << c.nType << " decimal '" << c.cDecimal << "'";
}

class TypedEditTest : public ::testing::TestWithParam<TypedCase> {};

TEST_P(TypedEditTest, ConvertsOrDrops) {
    const TypedCase& c = GetParam();
    ASSERT_EQ(c.strTyped.size(), c.strInserted.size());
    for (std::size_t i = 0; i < c.strTyped.size(); ++i) {
        const int nGot =
            TypedEditChar(c.nType, static_cast<unsigned char>(c.strTyped[i]), c.cDecimal, false);
        const int nWant =
            c.strInserted[i] == kDropped ? -1 : static_cast<unsigned char>(c.strInserted[i]);
        EXPECT_EQ(nGot, nWant) << "type " << c.nType << " char '" << c.strTyped[i] << "'";
    }
}

constexpr char X = kDropped;

INSTANTIATE_TEST_SUITE_P(
    Types, TypedEditTest,
    ::testing::Values(TypedCase{0, '.', "aZ.,~", "aZ.,~"}, TypedCase{9, '.', "aZ.,~", "aZ.,~"},
                      TypedCase{1, '.', "09-+a.", std::string{'0', '9', '-', X, X, X}},
                      TypedCase{2, '.', "09-a", std::string{'0', '9', X, X}},
                      TypedCase{3, '.', "9aeEfF", std::string{'9', 'A', 'E', 'E', X, X}},
                      TypedCase{4, '.', "afFgG", std::string{'A', 'F', 'F', X, X}},
                      TypedCase{5, '.', "5.,a", std::string{'5', '.', X, X}},
                      TypedCase{5, ',', "5.,a", std::string{'5', X, ',', X}},
                      TypedCase{6, '.', "dD*#eE", std::string{'D', 'D', '*', '#', X, X}},
                      TypedCase{7, ',', "dinDINx,.",
                                std::string{'D', 'I', 'N', 'D', 'I', 'N', X, ',', X}},
                      TypedCase{8, '.', " ~\x7F", " ~\x7F"}));

TEST(TypedEditControlTest, ControlCharactersPassAndHighCodesDependOnType) {
    for (int nType = 0; nType <= 9; ++nType) {
        for (const int nControl : {8, 13, 27, 1})
            EXPECT_EQ(TypedEditChar(nType, nControl, '.', false), nControl) << nType;
    }
    EXPECT_EQ(TypedEditChar(8, 128, '.', false), 128);
    EXPECT_EQ(TypedEditChar(8, 129, '.', false), -1);
    EXPECT_EQ(TypedEditChar(8, 0xE9, '.', false), -1);
    EXPECT_EQ(TypedEditChar(0, 0xE9, '.', false), 0xE9);
}

TEST(TypedEditKeypadTest, KeypadDecimalIsTheLocaleSeparator) {
    struct {
        int nType;
        char cDecimal;
        int nKeyChar;
        int nWant;
    } const cases[] = {
        {5, ',', '.', ','}, {5, '.', ',', '.'}, {7, ',', '.', ','}, {8, ',', '.', ','},
        {2, ',', '.', -1},  {1, '.', '.', -1},  {0, ',', '.', ','},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TypedEditChar(c.nType, c.nKeyChar, c.cDecimal, true), c.nWant) << c.nType;
}

TEST(GridWalkTest, RowByRowSkippingTheFixedColumnAndStoppingAtTheEnd) {
    struct {
        long nRows, nCols, nRow, nCol;
        bool bMoved;
        long nNextRow, nNextCol;
    } const cases[] = {
        {100, 3, 1, 1, true, 1, 2},    {100, 3, 1, 2, true, 2, 1},    {100, 3, 98, 2, true, 99, 1},
        {100, 3, 99, 1, true, 99, 2},  {100, 3, 99, 2, false, 99, 2}, {100, 4, 5, 3, true, 6, 1},
        {100, 4, 99, 3, false, 99, 3}, {9, 4, 8, 3, false, 8, 3},     {9, 4, 7, 3, true, 8, 1},
    };
    for (const auto& c : cases) {
        long nRow = c.nRow;
        long nCol = c.nCol;
        EXPECT_EQ(NextGridCell(c.nRows, c.nCols, nRow, nCol), c.bMoved) << c.nRow << "," << c.nCol;
        EXPECT_EQ(nRow, c.nNextRow);
        EXPECT_EQ(nCol, c.nNextCol);
    }
}

} // namespace
