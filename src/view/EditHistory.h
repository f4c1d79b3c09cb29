// SPDX-License-Identifier: GPL-3.0-or-later
// One step of the editor's undo history, apart from its widgets: the bytes a change made to
// the document's working copy and the image buffer, and the form's values before and after
// it. The step keeps only the runs of bytes that differ, so a long history stays small, and
// undoing it puts back exactly the bytes the change replaced.
#pragma once

#include "freqedit/ByteDelta.h"
#include "view/FeaturePanel.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace history {

// What an edit may change: the document's working copy, the image buffer and the form's
// values (which reach the document only when the form is stored).
struct CDocState {
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> image;
    feature::CFeatureValues values;
    bool operator==(const CDocState&) const = default;
};

class CEditStep {
public:
    CEditStep(std::string strName, const CDocState& before, const CDocState& after);

    // What the step did, as the Undo and Redo commands name it ("Channel 5 Signal").
    const std::string& Name() const { return m_strName; }
    // The change left everything as it was.
    bool Empty() const;
    // Turns state (as it is after the step) into the state before it (bUndo), or back.
    void Apply(CDocState& state, bool bUndo) const;

private:
    std::string m_strName;
    CByteDelta m_data;
    CByteDelta m_image;
    feature::CFeatureValues m_valuesBefore;
    feature::CFeatureValues m_valuesAfter;
};

} // namespace history
