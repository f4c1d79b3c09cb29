// SPDX-License-Identifier: GPL-3.0-or-later
#include "freqedit/EditRules.h"

namespace {

constexpr int kBackspace = 8;
constexpr int kLineFeed = 10;
constexpr int kCarriageReturn = 13;

bool IsDigit(int nChar) {
    return nChar >= '0' && nChar <= '9';
}

// nChar as a capital when it lies in 'a'..cLast, else unchanged.
int UpperUpTo(int nChar, char cLast) {
    return nChar >= 'a' && nChar <= cLast ? nChar - 32 : nChar;
}

} // namespace

std::string FilterCharSet(int nType, int nDecimalPoint) {
    switch (nType) {
    case kFilterHex:
        return "0123456789abcdefABCDEF";
    case kFilterFrequency:
        return nDecimalPoint == ',' ? "0123456789.," : "0123456789..";
    case kFilterDtmf:
        return "0123456789abcdABCD*#";
    default:
        return {};
    }
}

bool IsFilterCharAllowed(std::string_view strSet, int nChar) {
    if (nChar == kBackspace || nChar == kLineFeed || nChar == kCarriageReturn)
        return true;
    if (nChar < 0 || nChar > 255)
        return false;
    return strSet.find(static_cast<char>(nChar)) != std::string_view::npos;
}

bool IsFilterTextAllowed(std::string_view strSet, std::string_view strText) {
    for (const char c : strText) {
        if (!IsFilterCharAllowed(strSet, static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

int TypedEditChar(int nType, int nChar, int nDecimalPoint, bool bKeypadDecimal) {
    if (bKeypadDecimal)
        nChar = nDecimalPoint;
    if (nChar < 32)
        return nChar;
    switch (nType) {
    case kTypedSigned:
        return IsDigit(nChar) || nChar == '-' ? nChar : -1;
    case kTypedDigits:
        return IsDigit(nChar) ? nChar : -1;
    case kTypedHexToE:
        nChar = UpperUpTo(nChar, 'e');
        return IsDigit(nChar) || (nChar >= 'A' && nChar <= 'E') ? nChar : -1;
    case kTypedHex:
        nChar = UpperUpTo(nChar, 'f');
        return IsDigit(nChar) || (nChar >= 'A' && nChar <= 'F') ? nChar : -1;
    case kTypedDecimal:
        return IsDigit(nChar) || nChar == nDecimalPoint ? nChar : -1;
    case kTypedDtmf:
        nChar = UpperUpTo(nChar, 'd');
        return IsDigit(nChar) || (nChar >= 'A' && nChar <= 'D') || nChar == '*' || nChar == '#'
                   ? nChar
                   : -1;
    case kTypedDinDecimal:
        if (nChar == 'd' || nChar == 'i' || nChar == 'n')
            nChar -= 32;
        return IsDigit(nChar) || nChar == 'D' || nChar == 'I' || nChar == 'N' ||
                       nChar == nDecimalPoint
                   ? nChar
                   : -1;
    case kTypedPrintable:
        return nChar <= 128 ? nChar : -1;
    default: // 0 and anything above 8: no filtering
        return nChar;
    }
}

bool NextGridCell(long nRows, long nCols, long& nRow, long& nCol) {
    if (nCol >= nCols - 1) {
        if (nRow >= nRows - 1)
            return false;
        ++nRow;
        nCol = 1;
        return true;
    }
    ++nCol;
    return true;
}
