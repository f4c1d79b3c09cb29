// SPDX-License-Identifier: GPL-3.0-or-later
// Our settings-file reader and writer against the system's own private-profile functions: the
// same files and the same questions must give the same answers. (Under Wine the system's
// functions are Wine's implementation of the Windows rules: an independent second opinion.)
#include "TempDir.h"
#include "base/ProfileFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <windows.h>

namespace {

std::string SystemString(const char* pszSection, const char* pszKey, const char* pszDefault,
                         std::size_t nBuffer, const std::string& strPath) {
    std::vector<char> buffer(nBuffer + 1, '\0');
    const DWORD n = ::GetPrivateProfileStringA(pszSection, pszKey, pszDefault, buffer.data(),
                                               static_cast<DWORD>(nBuffer), strPath.c_str());
    return std::string(buffer.data(), n);
}

const char* const kFile = "; settings\r\n"
                          "[FreqRange]\r\n"
                          "MinFreq=400\r\n"
                          "MaxFreq = 470.5 \r\n"
                          "\r\n"
                          "[User Mode]\r\n"
                          "Level=73\r\n"
                          "Level=42\r\n"
                          "[COM PORT]\r\n"
                          "ComPort=3\r\n"
                          "Empty=\r\n"
                          "NoEquals\r\n"
                          "Long=123456789012345\r\n"
                          "Tabbed\t=\tx y\t\r\n"
                          "  Indented=5\r\n"
                          "[ Spaced ]\r\n"
                          "Key=in spaced\r\n"
                          "[freqrange]\r\n"
                          "MinFreq=999\r\n"
                          "Other=second section\r\n";

struct CStringCase {
    const char* pszSection;
    const char* pszKey;
    const char* pszDefault;
    std::size_t nBuffer;
};

const CStringCase kStringCases[] = {
    {"FreqRange", "MinFreq", "0", 8},      {"FREQRANGE", "minfreq", "0", 8},
    {"FreqRange", "MaxFreq", "0", 8},      {"FreqRange", "MaxFreq", "0", 4},
    {"FreqRange", "Missing", "dflt", 8},   {"FreqRange", "Missing", "123456789", 8},
    {"FreqRange", "Other", "none", 32},    {"User Mode", "Level", "0", 3},
    {"COM PORT", "ComPort", "1", 8},       {"com port", "COMPORT", "1", 8},
    {"COM PORT", "Empty", "dflt", 8},      {"COM PORT", "NoEquals", "dflt", 8},
    {"COM PORT", "Long", "", 8},           {"COM PORT", "Long", "", 64},
    {"COM PORT", "Long", "", 1},           {"COM PORT", "Tabbed", "", 16},
    {"COM PORT", "Indented", "", 8},       {"Spaced", "Key", "none", 32},
    {"Missing Section", "Key", "dflt", 8}, {"COM PORT", "ComPort ", "1", 8},
};

TEST(ProfileCrossCheck, StringsReadAsTheSystemReadsThem) {
    CTempDir dir;
    const std::string strPath = dir.File("check.ini");
    WriteTextFile(strPath, kFile);
    for (const CStringCase& c : kStringCases) {
        SCOPED_TRACE(std::string(c.pszSection) + "/" + c.pszKey + " buffer " +
                     std::to_string(c.nBuffer));
        EXPECT_EQ(profile::GetString(c.pszSection, c.pszKey, c.pszDefault, c.nBuffer, strPath),
                  SystemString(c.pszSection, c.pszKey, c.pszDefault, c.nBuffer, strPath));
    }
}

TEST(ProfileCrossCheck, MissingFileGivesTheDefaultLikeTheSystem) {
    CTempDir dir;
    const std::string strPath = dir.File("none.ini");
    EXPECT_EQ(profile::GetString("A", "b", "dflt", 8, strPath),
              SystemString("A", "b", "dflt", 8, strPath));
    EXPECT_EQ(profile::GetInt("A", "b", 17, strPath),
              static_cast<int>(::GetPrivateProfileIntA("A", "b", 17, strPath.c_str())));
}

TEST(ProfileCrossCheck, IntegersReadAsTheSystemReadsThem) {
    const char* const values[] = {"42", "  7", "-5", "12abc", "abc", "", "+9", "0012", "99999"};
    CTempDir dir;
    const std::string strPath = dir.File("ints.ini");
    std::string text = "[N]\r\n";
    for (std::size_t i = 0; i < std::size(values); ++i)
        text += "k" + std::to_string(i) + "=" + values[i] + "\r\n";
    WriteTextFile(strPath, text);
    for (std::size_t i = 0; i < std::size(values); ++i) {
        SCOPED_TRACE(values[i]);
        const std::string strKey = "k" + std::to_string(i);
        EXPECT_EQ(
            profile::GetInt("N", strKey, 11, strPath),
            static_cast<int>(::GetPrivateProfileIntA("N", strKey.c_str(), 11, strPath.c_str())));
    }
}

// Writes go through each implementation on its own copy of the same file; afterwards both
// readers must find the same value for every key, in both copies.
TEST(ProfileCrossCheck, WritesLeaveFilesThatReadTheSame) {
    struct CWrite {
        const char* pszSection;
        const char* pszKey;
        const char* pszValue;
    };
    const CWrite writes[] = {
        {"COM PORT", "ComPort", "5"},     // an existing key
        {"com port", "COMPORT", "6"},     // the same key, named in other case
        {"FreqRange", "NewKey", "new"},   // a new key in an existing section
        {"Fresh", "First", "1"},          // a new section
        {"Fresh", "Second", "two words"}, // a second key in it
        {"User Mode", "Level", "42"},     // the first of two equal keys
    };
    CTempDir dir;
    const std::string strOurs = dir.File("ours.ini");
    const std::string strSystems = dir.File("systems.ini");
    WriteTextFile(strOurs, kFile);
    WriteTextFile(strSystems, kFile);
    for (const CWrite& w : writes) {
        ASSERT_TRUE(profile::WriteString(w.pszSection, w.pszKey, w.pszValue, strOurs));
        ASSERT_TRUE(
            ::WritePrivateProfileStringA(w.pszSection, w.pszKey, w.pszValue, strSystems.c_str()));
    }
    const CStringCase reads[] = {
        {"COM PORT", "ComPort", "", 16}, {"FreqRange", "NewKey", "", 16},
        {"Fresh", "First", "", 16},      {"Fresh", "Second", "", 16},
        {"User Mode", "Level", "", 16},  {"FreqRange", "MinFreq", "", 16},
        {"freqrange", "Other", "", 32},  {"COM PORT", "Long", "", 32},
    };
    for (const CStringCase& c : reads) {
        SCOPED_TRACE(std::string(c.pszSection) + "/" + c.pszKey);
        const std::string strExpected =
            SystemString(c.pszSection, c.pszKey, "", c.nBuffer, strSystems);
        EXPECT_EQ(SystemString(c.pszSection, c.pszKey, "", c.nBuffer, strOurs), strExpected);
        EXPECT_EQ(profile::GetString(c.pszSection, c.pszKey, "", c.nBuffer, strSystems),
                  strExpected);
        EXPECT_EQ(profile::GetString(c.pszSection, c.pszKey, "", c.nBuffer, strOurs), strExpected);
    }
}

} // namespace
