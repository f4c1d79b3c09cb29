#include "app/WR7310App.h"

#include "app/ProfileFile.h"
#include "image/FreqCodec.h"
#include "print/PrintReport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <limits.h>
#include <locale>
#include <sstream>
#include <unistd.h>

namespace {

CWR7310App* g_pApp = nullptr;

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
      m_strIniFile(strIniFile.empty() ? DefaultIniPath(variant) : std::move(strIniFile)),
      m_pPrevious(g_pApp) {
    std::fill_n(m_pImage.get(), variant.nImageSize, std::uint8_t{0xFF});
    m_strHelpFile = ExecutableDir() + "/" + std::string(variant.strHelpFile);
    ReadFreqRange();
    m_pReport = std::make_unique<CPrintReport>();
    g_pApp = this;
}

CWR7310App::~CWR7310App() {
    if (g_pApp == this)
        g_pApp = m_pPrevious;
}

void CWR7310App::ReadFreqRange() {
    if (!m_variant.bRangeFromSettings) {
        m_dMinFreq = m_variant.dFixedMinFreq;
        m_dMaxFreq = m_variant.dFixedMaxFreq;
        return;
    }
    // One 8-byte buffer serves as default and result of both reads, so a missing "MaxFreq"
    // repeats the "MinFreq" text.
    const std::string strMin = profile::GetString("FreqRange", "MinFreq", "0", 8, m_strIniFile);
    const std::string strMax = profile::GetString("FreqRange", "MaxFreq", strMin, 8, m_strIniFile);
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
    return std::atoi(profile::GetString("User Mode", "Level", "0", 3, m_strIniFile).c_str());
}

void CWR7310App::EncodeRange(double& dLow, double& dHigh, std::uint8_t* pRange6) const {
    double* limits[2] = {&dLow, &dHigh};
    for (int i = 0; i < 2; ++i) {
        // A settings file may hold any number; a huge one saturates instead of wrapping.
        const std::uint32_t u = TenHertzUnits(*limits[i]);
        const std::uint32_t n = u / 625;
        *limits[i] = n * 625 * 0.00001;
        pRange6[3 * i + 0] = static_cast<std::uint8_t>(n & 0xFF);
        pRange6[3 * i + 1] = static_cast<std::uint8_t>((n >> 8) & 0xFF);
        pRange6[3 * i + 2] = static_cast<std::uint8_t>((n >> 16) & 0xFF);
    }
}

void CWR7310App::ShowMessage(std::string_view strText, std::string_view strCaption,
                             MsgIcon icon) const {
    m_pNotifier->ShowMessage(strText, strCaption, icon);
}

CWR7310App& TheApp() {
    if (!g_pApp)
        std::abort(); // a programming error: every program and test creates its application
    return *g_pApp;
}

std::string ExecutableDir() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}

std::string DefaultIniPath(const CVariant& variant) {
    const std::string strName = std::string(variant.strModel) + ".ini";
    const std::string strDir = ExecutableDir();
    if (::access(strDir.c_str(), W_OK) == 0)
        return strDir + "/" + strName;
    std::string strConfig;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        strConfig = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        strConfig = std::string(home) + "/.config";
    else
        strConfig = ".";
    return strConfig + "/wr7310/" + strName;
}
