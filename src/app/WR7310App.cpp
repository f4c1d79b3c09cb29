// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WR7310App.h"

#include "base/Platform.h"
#include "base/ProfileFile.h"
#include "image/FreqCodec.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <limits.h>
#include <locale>
#include <sstream>
#include <vector>

namespace {

// The settings file is read as the radio software always read it, before any locale was
// selected: the decimal point is ".". Like atof, a text that is not a number reads as 0.
double ParseMegahertz(const std::string& strText) {
    std::istringstream in(strText);
    in.imbue(std::locale::classic());
    double d = 0.0;
    in >> d;
    return in.fail() ? 0.0 : d;
}

} // namespace

CWR7310App::CWR7310App(const CVariant& variant, std::string strIniFile)
    : m_variant(variant), m_pImage(std::make_unique<std::uint8_t[]>(variant.nImageSize)),
      m_strIniFile(strIniFile.empty() ? DefaultIniPath(variant) : std::move(strIniFile)) {
    if (strIniFile.empty()) {
        const char* pszDataDirs = std::getenv("XDG_DATA_DIRS");
        m_strDefaultIniFile =
            FindDefaultIni(variant.strModel, ExecutableDir(), pszDataDirs ? pszDataDirs : "");
    }
    std::fill_n(m_pImage.get(), variant.nImageSize, std::uint8_t{0xFF});
    m_strHelpFile = ExecutableDir() + "/" + std::string(variant.strHelpFile);
    ReadFreqRange();
}

CWR7310App::~CWR7310App() = default;

void CWR7310App::ReadFreqRange() {
    if (!m_variant.bRangeFromSettings) {
        m_dMinFreq = m_variant.dFixedMinFreq;
        m_dMaxFreq = m_variant.dFixedMaxFreq;
        return;
    }
    // One 8-byte buffer serves as default and result of both reads, so a missing "MaxFreq"
    // repeats the "MinFreq" text.
    const std::string strMin = profile::GetString("FreqRange", "MinFreq", "0", 8, SettingsToRead());
    const std::string strMax =
        profile::GetString("FreqRange", "MaxFreq", strMin, 8, SettingsToRead());
    m_dMinFreq = ParseMegahertz(strMin);
    m_dMaxFreq = ParseMegahertz(strMax);
}

void CWR7310App::TakeRangeFromImage(const std::uint8_t* pRange6) {
    if (!m_variant.bRangeFromSettings)
        return;
    m_dMinFreq = DecodeRangeLimit(pRange6, true);
    m_dMaxFreq = DecodeRangeLimit(pRange6, false);
}

int CWR7310App::GetUserLevel() const {
    return std::atoi(profile::GetString("User Mode", "Level", "0", 3, SettingsToRead()).c_str());
}

const std::string& CWR7310App::SettingsToRead() const {
    std::error_code ec;
    if (m_strDefaultIniFile.empty() || std::filesystem::exists(m_strIniFile, ec))
        return m_strIniFile;
    return std::filesystem::exists(m_strDefaultIniFile, ec) ? m_strDefaultIniFile : m_strIniFile;
}

bool CWR7310App::CreateUserSettings() const {
    const std::string& strSource = SettingsToRead();
    if (strSource == m_strIniFile)
        return true; // the user's own file exists, or there is nothing to copy
    const std::filesystem::path target(m_strIniFile);
    std::error_code ec;
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), ec);
    // copy_file refuses to replace a file that appeared meanwhile: the user's file wins.
    return std::filesystem::copy_file(strSource, target, ec);
}

int CWR7310App::GetSettingInt(const char* pszSection, const char* pszKey, int nDefault) const {
    return profile::GetInt(pszSection, pszKey, nDefault, SettingsToRead());
}

bool CWR7310App::WriteSetting(const char* pszSection, const char* pszKey,
                              const std::string& strValue) const {
    if (m_bHeadless)
        return true;
    CreateUserSettings(); // a failed copy still leaves the key to be written
    return profile::WriteString(pszSection, pszKey, strValue, m_strIniFile);
}

void CWR7310App::EncodeRange(double& dLow, double& dHigh, std::uint8_t* pRange6) const {
    double* limits[2] = {&dLow, &dHigh};
    for (int i = 0; i < 2; ++i) {
        // A settings file may hold any number; a huge one saturates instead of wrapping.
        const std::uint32_t u = TenHertzUnits(*limits[i]);
        const std::uint32_t n = u / 625;
        *limits[i] = n * 0.00625; // exactly what the range bytes decode to
        pRange6[3 * i + 0] = static_cast<std::uint8_t>(n & 0xFF);
        pRange6[3 * i + 1] = static_cast<std::uint8_t>((n >> 8) & 0xFF);
        pRange6[3 * i + 2] = static_cast<std::uint8_t>((n >> 16) & 0xFF);
    }
}

void CWR7310App::ShowMessage(std::string_view strText, std::string_view strCaption,
                             MsgIcon icon) const {
    m_pNotifier->ShowMessage(strText, strCaption, icon);
}

std::string ExecutableDir() {
    return platform::ExecutableDir();
}

std::string DefaultIniPath(const CVariant& variant) {
    const std::string strName = std::string(variant.strModel) + ".ini";
    const std::string strDir = ExecutableDir();
    if (platform::IsPortableDir(strDir))
        return platform::Utf8FromPath(platform::PathFromUtf8(strDir) / strName);
    std::string strConfig = platform::UserConfigDir();
    if (strConfig.empty())
        strConfig = "wr7310";
    return platform::Utf8FromPath(platform::PathFromUtf8(strConfig) / strName);
}

std::string FindDefaultIni(std::string_view strProgram, const std::string& strExeDir,
                           std::string_view strXdgDataDirs) {
    const std::string strName = "wr7310/" + std::string(strProgram) + ".ini";
    std::vector<std::filesystem::path> dirs;
    if (!strExeDir.empty())
        dirs.push_back(std::filesystem::path(strExeDir).parent_path() / "share");
    if (strXdgDataDirs.empty())
        strXdgDataDirs = "/usr/local/share:/usr/share";
    while (!strXdgDataDirs.empty()) {
        const std::size_t nColon = strXdgDataDirs.find(':');
        const std::string_view strDir = strXdgDataDirs.substr(0, nColon);
        if (!strDir.empty())
            dirs.emplace_back(strDir);
        strXdgDataDirs = nColon == std::string_view::npos ? std::string_view{}
                                                          : strXdgDataDirs.substr(nColon + 1);
    }
    for (const auto& dir : dirs) {
        std::error_code ec;
        const auto file = dir / strName;
        if (std::filesystem::is_regular_file(file, ec))
            return file.string();
    }
    return {};
}
