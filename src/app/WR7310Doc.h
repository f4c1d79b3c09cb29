// SPDX-License-Identifier: GPL-3.0-or-later
// The program's single document: a working copy of the image fields the editor and the
// service screens use, the radio file, new-document defaults, the COM port number and the
// radio link of the service transfers.
#pragma once

#include "image/ImageFields.h"
#include "link/RadioComm.h"
#include "variants/Variant.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CWR7310App;
class IProgress;

// What the document needs from a view of it; the desktop form implements it, tests fake it.
class IDocView {
public:
    virtual ~IDocView() = default;
    // Finish an open in-place grid edit, committing it.
    virtual void EndCellEdit() = 0;
    // Write the form's controls into the document.
    virtual void StoreControls() = 0;
};

// The model the radio file at strPath was made for, from its signature or else its size;
// nullptr when neither tells or the file cannot be read.
const CVariant* VariantOfPath(const std::string& strPath);

class CWR7310Doc {
public:
    explicit CWR7310Doc(CWR7310App& app);

    // --- working copy ---
    // Laid out like the image and addressed by image address; only the variant's
    // docSyncRanges (and the document-only bytes) are meaningful.
    std::span<std::uint8_t> Data() { return m_data; }
    std::span<const std::uint8_t> Data() const { return m_data; }

    void SyncDocToImage();
    void SyncImageToDoc();
    void CommitViewEdits();

    // Records of the working copy by number (from 1).
    field::CChannelRecord GetChannel(int n) const;
    void SetChannel(int n, const field::CChannelRecord& rec);
    field::CFreqRecord GetFreqRecord(int n) const;
    void SetFreqRecord(int n, const field::CFreqRecord& rec);

    // --- document life cycle ---
    bool OnNewDocument();
    bool OnOpenDocument(const std::string& strPath);
    bool OnSaveDocument(const std::string& strPath);
    // The same for a radio file that is not a file on disk (standard input or output):
    // OnOpenBytes takes the file's bytes (strName names them in messages), SaveToBytes returns
    // what OnSaveDocument would write.
    bool OnOpenBytes(std::span<const std::uint8_t> file, const std::string& strName);
    std::vector<std::uint8_t> SaveToBytes();
    // The file last opened or saved; empty for a new document.
    const std::string& GetPathName() const { return m_strPathName; }

    void AddView(IDocView* pView);
    void RemoveView(IDocView* pView);

    // --- change tracking (the desktop asks before discarding unsaved edits) ---
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool bModified = true) { m_bModified = bModified; }

    // --- edit history ---
    // The desktop form keeps an undo history of the user's changes; a screen that changes the
    // working copy on its own (a tune read) names the change it just made as one step.
    // Without a recorder (the command-line tool) nothing is kept.
    void SetEditRecorder(std::function<void(std::string_view strName)> fn) {
        m_fnRecordEdit = std::move(fn);
    }
    void RecordEdit(std::string_view strName) const {
        if (m_fnRecordEdit)
            m_fnRecordEdit(strName);
    }

    // --- service transfers: 1 on success, -1 after the failure was reported ---
    // fnStop is polled before every block: once it returns true the transfer ends there,
    // sends the end-of-transfer byte so the radio leaves programming mode, and reports where
    // it stopped (Ctrl-C, the end of the session).
    void SetStopCheck(std::function<bool()> fnStop) { m_fnStop = std::move(fnStop); }
    bool StopRequested() const { return m_fnStop && m_fnStop(); }
    // Ends a stopped service transfer: the radio leaves programming mode, the port is closed
    // and strMessage reported; returns -1.
    int EndStopped(std::string_view strMessage);
    int ReadEmbeddedInfo(IProgress& progress);
    int WriteEmbeddedInfo(IProgress& progress);
    int ReadTuneInfo();
    int WriteTuneSwitch(bool bOpen);
    int WriteTuneFrequency();
    bool SetTuneSwitchBit(bool bOpen);

    CWR7310App& m_app;
    const CVariant& m_variant;
    int m_nComPort = 1;
    CRadioComm m_comm;

private:
    // The radio file's bytes for the current image buffer and working copy.
    std::vector<std::uint8_t> BuildFileImage() const;
    void SetNewDocDefaults();

    std::vector<std::uint8_t> m_data;
    std::string m_strPathName;
    std::vector<IDocView*> m_views;
    bool m_bModified = false;
    std::function<bool()> m_fnStop;
    std::function<void(std::string_view)> m_fnRecordEdit;
};
