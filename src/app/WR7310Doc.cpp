// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WR7310Doc.h"

#include "app/WR7310App.h"
#include "base/Messages.h"
#include "base/Platform.h"
#include "base/RadioFile.h"
#include "image/FreqCodec.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

namespace {

bool InAnyRange(const std::vector<CAddrRange>& ranges, std::size_t nAddr) {
    return std::any_of(ranges.begin(), ranges.end(),
                       [nAddr](const CAddrRange& r) { return r.Contains(nAddr); });
}

// The model a radio file was made for, from its signature or else its size; nullptr when
// neither tells (such a file is taken as this model's).
const CVariant* MakerOfFile(const CFileReadResult& result, std::span<const std::uint8_t> head,
                            const std::string& strPath) {
    if (result.status == CFileReadResult::Status::Failed)
        return nullptr;
    std::optional<std::size_t> nSize;
    if (result.status == CFileReadResult::Status::TooShort) {
        nSize = result.nBytesRead;
    } else {
        std::error_code ec;
        const auto n = std::filesystem::file_size(platform::PathFromUtf8(strPath), ec);
        if (!ec)
            nSize = static_cast<std::size_t>(n);
    }
    return VariantOfFile(head, nSize);
}

} // namespace

const CVariant* VariantOfPath(const std::string& strPath) {
    std::vector<std::uint8_t> head;
    const CFileReadResult result = ReadFilePrefix(strPath, XtraVariant().nSignatureFieldSize, head);
    return MakerOfFile(result, head, strPath);
}

CWR7310Doc::CWR7310Doc(CWR7310App& app)
    : m_app(app), m_variant(app.m_variant), m_comm(&app), m_data(app.m_variant.nImageSize, 0) {}

void CWR7310Doc::SyncDocToImage() {
    const auto image = m_app.Image();
    for (const CAddrRange& r : m_variant.docSyncRanges)
        std::copy_n(m_data.begin() + r.nStart, r.nLength, image.begin() + r.nStart);
}

void CWR7310Doc::SyncImageToDoc() {
    const auto image = m_app.Image();
    for (const CAddrRange& r : m_variant.docSyncRanges)
        std::copy_n(image.begin() + r.nStart, r.nLength, m_data.begin() + r.nStart);
}

void CWR7310Doc::CommitViewEdits() {
    for (IDocView* pView : m_views)
        pView->EndCellEdit();
}

void CWR7310Doc::AddView(IDocView* pView) {
    if (pView && std::find(m_views.begin(), m_views.end(), pView) == m_views.end())
        m_views.push_back(pView);
}

void CWR7310Doc::RemoveView(IDocView* pView) {
    std::erase(m_views, pView);
}

field::CChannelRecord CWR7310Doc::GetChannel(int n) const {
    return field::GetChannel(m_data, m_variant, n);
}

void CWR7310Doc::SetChannel(int n, const field::CChannelRecord& rec) {
    field::SetChannel(m_data, m_variant, n, rec);
}

field::CFreqRecord CWR7310Doc::GetFreqRecord(int n) const {
    return field::GetFreqRecord(m_data, m_variant, n);
}

void CWR7310Doc::SetFreqRecord(int n, const field::CFreqRecord& rec) {
    field::SetFreqRecord(m_data, m_variant, n, rec);
}

bool CWR7310Doc::OnNewDocument() {
    m_strPathName.clear();
    CommitViewEdits();
    SetNewDocDefaults();
    SyncDocToImage();
    m_bModified = false;
    return true;
}

void CWR7310Doc::SetNewDocDefaults() {
    const CVariant& v = m_variant;
    for (const CAddrRange& r : v.docSyncRanges)
        field::Fill(m_data, r, 0);
    for (const CAddrRange& r : v.fileDocRanges)
        field::Fill(m_data, r, 0);

    // The feature bytes, channel bytes, model text, oscillator and tune frequency.
    for (const CDefaultBytes& d : v.newDocBytes)
        std::copy(d.bytes.begin(), d.bytes.end(), m_data.begin() + d.nAddr);

    // The working range is read afresh, so a changed settings file counts from here on.
    m_app.ReadFreqRange();
    if (v.bRangeFromSettings)
        m_app.EncodeRange(m_app.m_dMinFreq, m_app.m_dMaxFreq,
                          field::Bytes(std::span<std::uint8_t>(m_data), v.rangeBytes).data());

    for (int n = 1; n <= v.channels.table.nCount; ++n) {
        field::CChannelRecord rec;
        rec.nFreqNumber = 1;
        rec.nSignalCode = 0;
        rec.bScanAdd = n <= v.nDefaultScanChannels;
        SetChannel(n, rec);
    }
    for (std::size_t i = 0; i < v.defaultFreqNumbers.size() && i < v.channels.table.nCount; ++i) {
        const int n = static_cast<int>(i) + 1;
        field::CChannelRecord rec = GetChannel(n);
        rec.nFreqNumber = v.defaultFreqNumbers[i];
        SetChannel(n, rec);
    }

    // Standard frequency n for entry n, limited to the working range by the encoder.
    for (int n = 1; n <= v.freqTable.nCount && n <= kStdFreqCount; ++n) {
        double dRx = StdFreqTable[n];
        double dTx = StdFreqTable[n];
        SetFreqRecord(n, field::EncodeFreqRecord(dRx, dTx, false, m_app.Range()));
    }
}

std::vector<std::uint8_t> CWR7310Doc::BuildFileImage() const {
    const CVariant& v = m_variant;
    std::vector<std::uint8_t> file(v.FileSize(), 0);
    const std::size_t nSignature = std::min(v.strSignature.size(), v.nSignatureFieldSize - 1);
    std::copy_n(v.strSignature.begin(), nSignature, file.begin());
    const auto image = m_app.Image();
    for (std::size_t a = 0; a < v.nImageSize; ++a) {
        std::uint8_t b = image[a];
        if (InAnyRange(v.fileZeroRanges, a))
            b = 0;
        else if (InAnyRange(v.fileDocRanges, a))
            b = m_data[a];
        file[v.nSignatureFieldSize + a] = b;
    }
    return file;
}

std::vector<std::uint8_t> CWR7310Doc::SaveToBytes() {
    CommitViewEdits();
    if (!m_views.empty())
        m_views.front()->StoreControls();
    field::SetBit(m_data, m_variant.keyTuneSwitch, false);
    SyncDocToImage();
    return BuildFileImage();
}

bool CWR7310Doc::OnSaveDocument(const std::string& strPath) {
    const std::vector<std::uint8_t> file = SaveToBytes();
    if (const int nErr = WriteFileReplacing(strPath, file); nErr != 0) {
        m_app.ShowFileError(msg::kCannotSave, strPath,
                            FormatText(msg::kFileSaveErrorFmt, std::strerror(nErr)));
        return false;
    }
    m_strPathName = strPath;
    m_bModified = false;
    return true;
}

bool CWR7310Doc::OnOpenDocument(const std::string& strPath) {
    CommitViewEdits();
    const CVariant& v = m_variant;
    std::vector<std::uint8_t> file;
    const CFileReadResult result = ReadFilePrefix(strPath, v.FileSize(), file);
    if (const CVariant* pMaker = MakerOfFile(result, file, strPath);
        pMaker && pMaker->strModel != v.strModel) {
        m_app.ShowFileError(msg::kCannotOpen, strPath,
                            FormatText(msg::kFileOtherModelFmt,
                                       std::string(pMaker->strModel).c_str(),
                                       std::string(v.strModel).c_str()));
        return false;
    }
    if (result.status == CFileReadResult::Status::Failed) {
        m_app.ShowFileError(msg::kCannotOpen, strPath,
                            FormatText(msg::kFileReadErrorFmt, std::strerror(result.nErrno)));
        return false;
    }

    return OnOpenBytes(file, strPath);
}

bool CWR7310Doc::OnOpenBytes(std::span<const std::uint8_t> file, const std::string& strName) {
    const CVariant& v = m_variant;
    if (file.size() < v.FileSize()) {
        m_app.ShowFileError(msg::kCannotOpen, strName,
                            FormatText(msg::kFileTooShortFmt, file.size(), v.FileSize()));
        return false;
    }
    // The whole file has been read: only now do the image and the document change.
    const auto image = m_app.Image();
    for (std::size_t a = 0; a < v.nImageSize; ++a) {
        const std::uint8_t b = file[v.nSignatureFieldSize + a];
        if (InAnyRange(v.fileZeroRanges, a))
            continue;
        if (InAnyRange(v.fileDocRanges, a))
            m_data[a] = b;
        else
            image[a] = b;
    }
    SyncImageToDoc();
    m_strPathName = strName;
    m_bModified = false;
    return true;
}
