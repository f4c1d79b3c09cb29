// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: the owner of the radio image and of the program's settings. A program
// makes one for its run and hands it to what needs it; several may live at once (the fleet of
// the command-line tool, tests), each with its own image, range and port.
#pragma once

#include "base/Notifier.h"
#include "base/RadioFile.h"
#include "image/FreqCodec.h"
#include "link/CommOwner.h"
#include "variants/Variant.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

// User levels read from "User Mode"/"Level". Every other value is the basic level.
inline constexpr int kFactoryLevel = 73;
inline constexpr int kTuneLevel = 42;

class CWR7310App : public ICommOwner {
public:
    // Allocates the image (every byte 0xFF), takes the settings-file path (empty: the default
    // path of the variant's program, see DefaultIniPath) and reads the frequency range.
    explicit CWR7310App(const CVariant& variant = XtraVariant(), std::string strIniFile = {});
    ~CWR7310App() override;
    CWR7310App(const CWR7310App&) = delete;
    CWR7310App& operator=(const CWR7310App&) = delete;

    // Reads "FreqRange"/"MinFreq" and "MaxFreq" into m_dMinFreq and m_dMaxFreq (each at most
    // 7 characters; a missing "MaxFreq" repeats the "MinFreq" text). A variant with a fixed
    // band takes the band instead.
    void ReadFreqRange();
    // Takes the working range from six range bytes, as every shown image does; a variant
    // with a fixed band keeps its band whatever the image says.
    void TakeRangeFromImage(const std::uint8_t* pRange6);
    // Reads "User Mode"/"Level" afresh (at most 2 characters, atoi).
    int GetUserLevel() const;
    // The file the settings are read from: the user's own, or while the user has none the
    // installed default (m_strDefaultIniFile), or else the user's path (every key missing).
    const std::string& SettingsToRead() const;
    // Copies the installed default to the user's path when the user has no settings file yet,
    // so that keys written later land beside the default's values. False when a copy was due
    // but failed.
    bool CreateUserSettings() const;
    // One key of the settings: read as SettingsToRead says; written to the user's own file,
    // made from the installed default first (CreateUserSettings). WriteSetting is false when
    // the key could not be saved.
    int GetSettingInt(const char* pszSection, const char* pszKey, int nDefault) const;
    bool WriteSetting(const char* pszSection, const char* pszKey,
                      const std::string& strValue) const;
    // Writes both limits into six range bytes (24-bit little-endian counts of 6.25 kHz) and
    // floors the limits to whole 6.25 kHz steps.
    void EncodeRange(double& dLow, double& dHigh, std::uint8_t* pRange6) const;

    // Reports one message through the current notifier.
    void ShowMessage(std::string_view strText, std::string_view strCaption = {},
                     MsgIcon icon = MsgIcon::Exclamation) const;
    // A file error: "Cannot open "FILE": why" on the desktop, "FILE: Cannot open: why" in the
    // tool (m_bFileFirstMessages).
    void ShowFileError(std::string_view strVerb, std::string_view strPath,
                       std::string_view strRest) const {
        ShowMessage(FileMessage(m_bFileFirstMessages, strVerb, strPath, strRest), {},
                    MsgIcon::Error);
    }
    void SetNotifier(INotifier* pNotifier) { m_pNotifier = pNotifier; }
    INotifier& Notifier() const override { return *m_pNotifier; }

    // What the radio link takes from its owner.
    const CVariant& CommVariant() const override { return m_variant; }
    int CommPort() const override { return m_nComPort; }
    void SetCommPort(int nPort) override { m_nComPort = nPort; }
    const std::string& CommDevice() const override { return m_strPortDevice; }
    const std::string& CommSettingsFile() const override { return m_strIniFile; }
    bool IsFactoryLevel() const override { return GetUserLevel() == kFactoryLevel; }

    // The working range, as the frequency codec takes it.
    CFreqRange Range() const { return {m_dMinFreq, m_dMaxFreq}; }

    std::span<std::uint8_t> Image() { return {m_pImage.get(), m_variant.nImageSize}; }
    std::span<const std::uint8_t> Image() const { return {m_pImage.get(), m_variant.nImageSize}; }

    const CVariant& m_variant;
    std::string m_strHelpFile;
    int m_nDecimalPoint = '.';
    std::unique_ptr<std::uint8_t[]> m_pImage;
    double m_dMinFreq = 0.0;
    double m_dMaxFreq = 0.0;
    int m_nComPort = 1;
    std::string m_strIniFile;
    // The installed default settings of the program, read while m_strIniFile does not exist;
    // empty when a settings file was named explicitly or none is installed.
    std::string m_strDefaultIniFile;
    // When not empty, the radio link tries this device only instead of scanning COM ports.
    std::string m_strPortDevice;
    // A run that shows no window (printing to PDF) leaves the user's settings file and
    // recent-file list as they were: WriteSetting writes nothing.
    bool m_bHeadless = false;
    bool m_bFileFirstMessages = false;

private:
    CStderrNotifier m_defaultNotifier;
    INotifier* m_pNotifier = &m_defaultNotifier;
};

// Folder of the running executable (no trailing slash).
std::string ExecutableDir();
// The settings file of a variant's program: "<program>.ini" beside the executable of a portable
// copy (platform::IsPortableDir), else in the user's configuration folder ($XDG_CONFIG_HOME/
// wr7310 or ~/.config/wr7310). An installed program never writes beside itself.
std::string DefaultIniPath(const CVariant& variant);
// The installed default settings of a program: "wr7310/<program>.ini" in the "share" folder
// beside strExeDir (the installation prefix), else in the first folder of the colon-separated
// strXdgDataDirs that holds one (empty list: /usr/local/share:/usr/share). Empty when none
// exists.
std::string FindDefaultIni(std::string_view strProgram, const std::string& strExeDir,
                           std::string_view strXdgDataDirs);
