// SPDX-License-Identifier: GPL-3.0-or-later
// Character rules of the validated edit fields (CFilterEdit, CTypedEdit) and the cell walk of
// the grids. Plain rules without widgets, so they are tested without a display.
#pragma once

#include <string>
#include <string_view>

// Filter types of CFilterEdit.
inline constexpr int kFilterHex = 3;       // hexadecimal digits
inline constexpr int kFilterFrequency = 4; // digits and the decimal separators
inline constexpr int kFilterDtmf = 5;      // DTMF keys: digits, A..D, '*', '#'

// The characters a CFilterEdit of type nType accepts, with nDecimalPoint the first character of
// the locale's decimal point. Any type without a set gives an empty set.
std::string FilterCharSet(int nType, int nDecimalPoint);

// Backspace, line feed and carriage return always pass; anything else must occur in strSet.
bool IsFilterCharAllowed(std::string_view strSet, int nChar);

// Every character of strText passes IsFilterCharAllowed (no case conversion): the paste check.
bool IsFilterTextAllowed(std::string_view strSet, std::string_view strText);

// Input types of CTypedEdit.
inline constexpr int kTypedAny = 0;
inline constexpr int kTypedSigned = 1;     // digits and '-'
inline constexpr int kTypedDigits = 2;     // digits
inline constexpr int kTypedHexToE = 3;     // digits and A..E
inline constexpr int kTypedHex = 4;        // digits and A..F
inline constexpr int kTypedDecimal = 5;    // digits and the decimal point
inline constexpr int kTypedDtmf = 6;       // digits, A..D, '*', '#'
inline constexpr int kTypedDinDecimal = 7; // digits, D, I, N and the decimal point
inline constexpr int kTypedPrintable = 8;  // codes 32..128
inline constexpr int kTypedLast = kTypedPrintable;

// What a CTypedEdit of type nType inserts for the typed character nChar: the character itself or
// its conversion, or -1 when it is dropped. bKeypadDecimal: the character came from the numeric
// keypad's decimal key, which always stands for nDecimalPoint. Control characters (below 32)
// always pass unchanged.
int TypedEditChar(int nType, int nChar, int nDecimalPoint, bool bKeypadDecimal);

// The walk of Tab and Enter through a grid with one fixed row and one fixed column: right along
// the row, then to column 1 of the next row; the last cell of the last row stays. Returns whether
// the cell moved.
bool NextGridCell(long nRows, long nCols, long& nRow, long& nCol);

// Twips per screen pixel of the program's grids. Both are 15 until the view is first sized; the
// view then sets them to 1440 / its logical DPI at every resize.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kDefaultTwipsPerPixel = 15;
inline int g_nTwipsPerPixelX = kDefaultTwipsPerPixel;
inline int g_nTwipsPerPixelY = kDefaultTwipsPerPixel;
