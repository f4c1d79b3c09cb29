// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/FleetTransfer.h"

#include "app/WR7310App.h"
#include "app/WR7310Doc.h"
#include "base/Messages.h"
#include "base/Notifier.h"
#include "base/RadioFile.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/TerminalProgress.h"
#include "image/ImageFields.h"
#include "transfer/Backup.h"
#include "transfer/ImageTransfer.h"
#include "transfer/Interrupt.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Collects one radio's messages, so that they are printed with its result line instead of
// interleaving with the other radios'.
class CRadioNotes : public INotifier {
public:
    void ShowMessage(std::string_view strText, std::string_view /*strCaption*/,
                     MsgIcon /*icon*/) override {
        const std::lock_guard lock(m_mutex);
        m_texts.emplace_back(strText);
    }
    std::string Joined() const {
        const std::lock_guard lock(m_mutex);
        std::string str;
        for (const std::string& s : m_texts)
            str += (str.empty() ? "" : " / ") + s;
        return str;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_texts;
};

// One progress line per radio, redrawn together in place on a terminal.
class CFleetProgress {
public:
    CFleetProgress(std::vector<std::string> names, std::string_view strTitle)
        : m_names(std::move(names)), m_strTitle(strTitle), m_percent(m_names.size(), 0),
          m_bEnabled(CTerminalProgress::StderrIsTerminal()) {}
    ~CFleetProgress() {
        const std::lock_guard lock(m_mutex);
        Draw(); // the final figures stay on screen
    }

    void Set(std::size_t nRadio, int nPercent) {
        const std::lock_guard lock(m_mutex);
        if (m_percent[nRadio] == nPercent)
            return;
        m_percent[nRadio] = nPercent;
        Draw();
    }

private:
    void Draw() {
        if (!m_bEnabled)
            return;
        std::string out;
        if (m_bDrawn) // back to the first line of the block
            out += "\x1b[" + std::to_string(m_names.size()) + "A";
        for (std::size_t i = 0; i < m_names.size(); ++i)
            out += "\r" +
                   CTerminalProgress::BarLine(m_strTitle + " " + m_names[i], m_percent[i], 100) +
                   "\x1b[K\n";
        std::fputs(out.c_str(), stderr);
        std::fflush(stderr);
        m_bDrawn = true;
    }

    std::mutex m_mutex;
    std::vector<std::string> m_names;
    std::string m_strTitle;
    std::vector<int> m_percent;
    bool m_bEnabled;
    bool m_bDrawn = false;
};

// What one radio of the fleet needs: its own application object (image, port, range),
// messages and outcome.
struct CRadioJob {
    std::string strPort;
    std::unique_ptr<CWR7310App> pApp;
    CRadioNotes notes;
    bool bOk = false;
    bool bVerified = false; // every written block was read back as written
    std::string strFile;    // read: the radio file this radio's image is saved to
    std::string strResult;  // the saved file, the backup, the verify outcome
    std::vector<CByteMismatch> mismatches;
};

std::string PortLabel(const std::string& strPort) {
    return IsComNumber(strPort) ? "COM" + strPort : strPort;
}

// The fleet's radios, each with its application object. The objects are made here, on the
// calling thread, one after the other, and destroyed in reverse order by the caller.
void MakeJobs(CCliContext& ctx, std::vector<std::unique_ptr<CRadioJob>>& jobs) {
    for (const std::string& strPort : ctx.options.ports) {
        auto pJob = std::make_unique<CRadioJob>();
        pJob->strPort = strPort;
        pJob->pApp = std::make_unique<CWR7310App>(ctx.app.m_variant, ctx.options.strIniFile);
        pJob->pApp->m_bFileFirstMessages = true;
        ApplyPortOption(*pJob->pApp, strPort);
        pJob->pApp->SetNotifier(&pJob->notes);
        jobs.push_back(std::move(pJob));
    }
}

void DestroyJobs(std::vector<std::unique_ptr<CRadioJob>>& jobs) {
    while (!jobs.empty())
        jobs.pop_back(); // the last application object made goes first
}

// Runs one transfer per radio, each on its own thread, and waits for all of them.
void RunAll(CCliContext& ctx, std::vector<std::unique_ptr<CRadioJob>>& jobs, TransferMode mode,
            bool bVerify) {
    std::vector<std::string> names;
    for (const auto& pJob : jobs)
        names.push_back(PortLabel(pJob->strPort));
    CFleetProgress progress(names,
                            mode == TransferMode::Read ? msg::kReadCaption : msg::kWriteCaption);
    // Ctrl-C stops every radio at its next block; each says what it holds.
    const CInterruptGuard interruptGuard;
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        threads.emplace_back([&, i] {
            CRadioJob& job = *jobs[i];
            CImageTransfer transfer(*job.pApp, mode);
            transfer.m_bVerify = bVerify;
            transfer.SetStopCheck(InterruptRequested);
            AttachTrace(transfer.m_comm, ctx.options, names[i] + ": ");
            job.bOk = RunTransfer(transfer, [&](TransferMsg m, long lParam) {
                if (IsFinalMessage(m))
                    job.pApp->ShowMessage(CImageTransfer::MessageText(m, lParam), {},
                                          IsSuccessMessage(m) ? MsgIcon::Information
                                                              : MsgIcon::Error);
                else
                    progress.Set(i, static_cast<int>(lParam));
            });
            job.mismatches = transfer.m_mismatches;
            job.bVerified = transfer.m_bVerified;
            if (!job.bOk && job.pApp->m_nComPort == 0)
                for (const std::string& strLine : ConnectionTroubleLines(transfer.m_comm))
                    job.pApp->ShowMessage(strLine, {}, MsgIcon::Error);
        });
    }
    for (std::thread& t : threads)
        t.join();
}

// One line per radio, then the status: 0 only when every radio succeeded.
int Report(const std::vector<std::unique_ptr<CRadioJob>>& jobs, bool bVerify) {
    int nFailed = 0;
    for (const auto& pJob : jobs) {
        const CRadioJob& job = *pJob;
        if (!job.bOk)
            ++nFailed;
        std::string strLine = PortLabel(job.strPort) + ": " + (job.bOk ? "ok" : "FAILED");
        if (bVerify && job.bVerified)
            strLine += ", verified";
        const std::string strNotes = job.notes.Joined();
        if (!strNotes.empty())
            strLine += " (" + strNotes + ")";
        if (!job.strResult.empty())
            strLine += "; " + job.strResult;
        std::cout << strLine << '\n';
        for (const CByteMismatch& m : job.mismatches)
            std::cout << "  " << DiffLine(m.nAddr, m.nWritten, m.nRead);
    }
    std::cout << (jobs.size() - static_cast<std::size_t>(nFailed)) << " of " << jobs.size()
              << " radios succeeded\n";
    return nFailed == 0 ? kExitOk : kExitFailure;
}

// One device named twice would be opened by two threads at once: refused before any transfer.
bool CheckFleetPorts(const std::vector<std::string>& ports) {
    namespace fs = std::filesystem;
    std::vector<std::string> devices;
    for (const std::string& strPort : ports) {
        std::error_code ec;
        std::string strDevice = strPort;
        if (!IsComNumber(strPort)) {
            const fs::path canonical = fs::weakly_canonical(fs::path(strPort), ec);
            if (!ec)
                strDevice = canonical.string();
        } else {
            strDevice = "COM" + std::to_string(std::stoi(strPort));
        }
        if (std::find(devices.begin(), devices.end(), strDevice) != devices.end()) {
            Complain() << "--port \"" << strPort
                       << "\" names a radio named before; name each radio once. Nothing was "
                          "done.\n";
            return false;
        }
        devices.push_back(strDevice);
    }
    return true;
}

} // namespace

std::string FleetFileName(const std::string& strOut, const std::string& strPort, bool bWholePath) {
    const std::filesystem::path out(strOut);
    const std::filesystem::path port(strPort);
    std::string strTag = IsComNumber(strPort) ? "COM" + strPort
                         : bWholePath         ? port.relative_path().string()
                                              : port.filename().string();
    for (char& c : strTag)
        if (c == '/' || c == '\\' || c == ':')
            c = '_';
    std::filesystem::path name = out.stem();
    name += "-" + strTag;
    name += out.extension();
    return (out.parent_path() / name).string();
}

std::vector<std::string> FleetFileNames(const std::string& strOut,
                                        const std::vector<std::string>& ports) {
    std::vector<std::string> names;
    for (const std::string& strPort : ports)
        names.push_back(FleetFileName(strOut, strPort));
    // Ports whose devices share a name (.../a/radio, .../b/radio) take their whole path.
    std::vector<std::string> result = names;
    for (std::size_t i = 0; i < ports.size(); ++i)
        if (std::count(names.begin(), names.end(), names[i]) > 1)
            result[i] = FleetFileName(strOut, ports[i], true);
    return result;
}

int ReadFleet(CCliContext& ctx, const std::string& strOut) {
    if (strOut == kStdStream || IsStreamPath(strOut)) {
        Complain() << "Several radios cannot share one stream; name a file\n";
        return kExitUsage;
    }
    if (!CheckFleetPorts(ctx.options.ports))
        return kExitUsage;
    const std::vector<std::string> files = FleetFileNames(strOut, ctx.options.ports);
    // Every radio gets a file of its own, and every file can be saved, before any radio is read.
    for (std::size_t i = 0; i < files.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j)
            if (files[j] == files[i]) {
                Complain() << files[i] << ": The radios of --port \"" << ctx.options.ports[j]
                           << "\" and --port \"" << ctx.options.ports[i]
                           << "\" would both be saved here. Nothing was read.\n";
                return kExitUsage;
            }
        if (const int nErr = CheckCanSave(files[i]); nErr != 0) {
            Complain() << files[i] << ": Cannot save: " << std::strerror(nErr)
                       << ". Nothing was read.\n";
            return kExitFailure;
        }
    }
    std::vector<std::unique_ptr<CRadioJob>> jobs;
    MakeJobs(ctx, jobs);
    for (std::size_t i = 0; i < jobs.size(); ++i)
        jobs[i]->strFile = files[i];
    RunAll(ctx, jobs, TransferMode::Read, false);
    for (const auto& pJob : jobs) {
        CRadioJob& job = *pJob;
        if (!job.bOk)
            continue;
        CWR7310App& app = *job.pApp;
        SetWorkingRangeFromImage(app, app.Image());
        CWR7310Doc doc(app);
        doc.SyncImageToDoc();
        const std::string& strFile = job.strFile;
        job.bOk = doc.OnSaveDocument(strFile);
        job.strResult = job.bOk ? "saved " + strFile : "not saved";
        if (job.bOk && !ctx.options.bNoBackup) {
            const CBackupResult backup = SaveBackup(app.m_variant, app.Image());
            job.strResult +=
                backup.Ok() ? ", backup " + backup.strPath : ", no backup kept: " + backup.strError;
        }
    }
    const int nStatus = Report(jobs, false);
    DestroyJobs(jobs);
    return nStatus;
}

int WriteFleet(CCliContext& ctx, const std::string& strFile, bool bVerify) {
    if (!CheckFleetPorts(ctx.options.ports))
        return kExitUsage;
    // The file is read once; every radio's image gets its bytes.
    if (!PrepareWrite(ctx.app, strFile))
        return kExitFailure;
    std::vector<std::unique_ptr<CRadioJob>> jobs;
    MakeJobs(ctx, jobs);
    for (const auto& pJob : jobs) {
        const auto src = ctx.app.Image();
        std::copy(src.begin(), src.end(), pJob->pApp->Image().begin());
        SetWorkingRangeFromImage(*pJob->pApp, pJob->pApp->Image());
    }
    RunAll(ctx, jobs, TransferMode::Write, bVerify);
    const int nStatus = Report(jobs, bVerify);
    DestroyJobs(jobs);
    return nStatus;
}
