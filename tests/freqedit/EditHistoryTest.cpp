// SPDX-License-Identifier: GPL-3.0-or-later
// The undo history's steps against image bytes: every script of edits made through the
// core's own rules, undone to its start, gives the original bytes, and redone, the edited ones.
#include "view/EditHistory.h"
#include "image/ImageFields.h"
#include "view/ChannelPanel.h"
#include "view/FeaturePanel.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

using history::CDocState;
using history::CEditStep;

namespace {

struct CEdit {
    std::string strName;
    std::function<void(CDocState&)> fn;
};

CDocState Start(const CVariant& v) {
    CDocState s;
    s.data.assign(v.nImageSize, 0);
    for (std::size_t i = 0; i < s.data.size(); ++i)
        s.data[i] = static_cast<std::uint8_t>(i * 7 + 3);
    s.image = s.data;
    s.values = feature::LoadFeatures(s.data, v);
    return s;
}

// Runs the edits, recording one step each; undoes them all, then redoes them all, checking
// the bytes at every point against the states the edits left.
void CheckScript(const CVariant& v, const std::vector<CEdit>& edits) {
    CDocState state = Start(v);
    std::vector<CDocState> seen{state};
    std::vector<CEditStep> steps;
    for (const CEdit& e : edits) {
        const CDocState before = state;
        e.fn(state);
        steps.emplace_back(e.strName, before, state);
        seen.push_back(state);
    }
    for (std::size_t i = steps.size(); i-- > 0;) {
        steps[i].Apply(state, true);
        ASSERT_EQ(state, seen[i]) << "undo of " << steps[i].Name();
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
        steps[i].Apply(state, false);
        ASSERT_EQ(state, seen[i + 1]) << "redo of " << steps[i].Name();
    }
}

CEdit Cell(const CVariant& v, int nRow, int nCol, std::string strText) {
    return {"Channel " + std::to_string(nRow), [&v, nRow, nCol, strText](CDocState& s) {
                channel::CommitCell(s.data, v, nRow, nCol, strText);
            }};
}

CEdit Count(const CVariant& v, int nCount) {
    return {"Available CHs",
            [&v, nCount](CDocState& s) { feature::ChangeChannelCount(s.data, v, nCount, 0); }};
}

CEdit Switch(const CVariant& v, int nId, bool bOn) {
    return {"Switch", [&v, nId, bOn](CDocState& s) {
                s.values.SetChecked(nId, bOn);
                feature::StoreFeatures(s.values, s.data, v);
            }};
}

} // namespace

TEST(EditHistory, ScriptsUndoToTheOriginalBytesAndRedoToTheEdited) {
    for (const CVariant* pV : {&XtraVariant(), &OldVariant()}) {
        const CVariant& v = *pV;
        const std::vector<std::vector<CEdit>> scripts = {
            {},
            {Cell(v, 5, channel::kColSignal, "77")},
            {Cell(v, 1, channel::kColFreqNumber, "3"), Cell(v, 1, channel::kColFreqNumber, "3"),
             Cell(v, 8, channel::kColScan, "Del")},
            {Count(v, 4), Cell(v, 2, channel::kColScan, "Add"), Count(v, 8)},
            {Switch(v, feature::kVox, false), Switch(v, feature::kVox, true),
             Cell(v, 3, channel::kColSignal, "OFF")},
            {{"Paste",
              [&v](CDocState& s) {
                  const std::vector<std::vector<std::string>> rows = {{"9", "OFF", "Add"},
                                                                      {"10", "121", "del"}};
                  feature::ChangeChannelCount(s.data, v, 8, 0);
                  EXPECT_EQ(channel::PasteRows(s.data, v, 6, 8, rows), "");
              }}},
        };
        for (const auto& script : scripts)
            CheckScript(v, script);
    }
}

TEST(EditHistory, RandomScriptsKeepTheInvariant) {
    std::mt19937 rng(7310);
    const CVariant& v = XtraVariant();
    for (int nScript = 0; nScript < 50; ++nScript) {
        std::vector<CEdit> script;
        const int nEdits = std::uniform_int_distribution<int>(1, 30)(rng);
        for (int i = 0; i < nEdits; ++i) {
            const auto nSeed = static_cast<std::uint32_t>(rng());
            script.push_back({"random", [nSeed](CDocState& s) {
                                  std::mt19937 r(nSeed);
                                  const int nBytes = 1 + static_cast<int>(r() % 40);
                                  for (int k = 0; k < nBytes; ++k) {
                                      auto& buf = r() % 2 ? s.data : s.image;
                                      buf[r() % buf.size()] = static_cast<std::uint8_t>(r());
                                  }
                                  s.values.SetIndex(feature::kCboTot, static_cast<int>(r() % 3));
                              }});
        }
        CheckScript(v, script);
    }
}

TEST(EditHistory, AStepKeepsOnlyTheChangedRuns) {
    std::vector<std::uint8_t> before(2048, 0), after(2048, 0);
    after[10] = 1;
    after[11] = 2;
    after[2047] = 9;
    const history::CByteDelta delta(before, after);
    EXPECT_EQ(delta.Size(), 6U); // two runs, before and after bytes of each
    EXPECT_TRUE(history::CByteDelta(before, before).Empty());
    const CDocState s = Start(XtraVariant());
    EXPECT_TRUE(CEditStep("none", s, s).Empty());
}
