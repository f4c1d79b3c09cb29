// SPDX-License-Identifier: GPL-3.0-or-later
// Undoing a long history and pasting a whole frequency table or channel grid, through the
// same core calls the editor makes (the widgets' refresh is not counted).
#include "TempDir.h"
#include "app/WR7310App.h"
#include "freqedit/FreqTable.h"
#include "freqedit/RowClipboard.h"
#include "image/FreqCodec.h"
#include "image/ImageFields.h"
#include "image/SettingTexts.h"
#include "view/ChannelPanel.h"
#include "view/EditHistory.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const CVariant& V() {
    return XtraVariant();
}

// An application with the 400..470 MHz working range, for the frequency codec.
struct CBenchApp {
    CBenchApp() {
        WriteTextFile(dir.File("bench.ini"), "[FreqRange]\nMinFreq=400\nMaxFreq=470\n");
        pApp = std::make_unique<CWR7310App>(V(), dir.File("bench.ini"));
    }
    CTempDir dir;
    std::unique_ptr<CWR7310App> pApp;
};

history::CDocState StartState() {
    history::CDocState s;
    s.data.assign(V().nImageSize, 0);
    s.image = s.data;
    return s;
}

// 1,000 channel cell edits, one step each; the loop undoes them all.
void BM_Undo1000Steps(benchmark::State& state) {
    history::CDocState doc = StartState();
    std::vector<history::CEditStep> steps;
    for (int i = 0; i < 1000; ++i) {
        const history::CDocState before = doc;
        channel::CommitCell(doc.data, V(), 1 + i % 99, 1 + i % 3,
                            i % 3 == 2 ? (i % 2 ? "Add" : "Del") : std::to_string(1 + i % 90));
        doc.values.SetIndex(2211, i % 3);
        steps.emplace_back("Channel", before, doc);
    }
    for (auto _ : state) {
        for (auto it = steps.rbegin(); it != steps.rend(); ++it)
            it->Apply(doc, true);
        state.PauseTiming();
        for (const auto& step : steps)
            step.Apply(doc, false);
        state.ResumeTiming();
    }
    benchmark::DoNotOptimize(doc.data.data());
}
BENCHMARK(BM_Undo1000Steps)->Unit(benchmark::kMillisecond);

// Copy text of the full 99-row frequency table pasted back: parse, check, commit every value.
void BM_Paste99FrequencyRows(benchmark::State& state) {
    const CBenchApp app;
    std::vector<std::uint8_t> records(V().freqTable.Range().nLength, 0);
    CFreqTable table(V(), app.pApp->Range(), records);
    std::vector<clip::CRow> rows;
    for (int n = 1; n <= 99; ++n)
        rows.push_back({std::to_string(n), FormatFrequency(StdFreqTable[n] + 0.00001),
                        FormatFrequency(StdFreqTable[n] + 5)});
    const std::string strText = clip::FormatRows(texts::kFreqHeaders, rows);
    for (auto _ : state) {
        const clip::CParsedRows parsed = clip::ParseRows(strText, texts::kFreqHeaders);
        const CFreqPaste pasted = table.PasteRows(1, parsed.rows, '.');
        benchmark::DoNotOptimize(pasted.notes.size());
    }
}
BENCHMARK(BM_Paste99FrequencyRows)->Unit(benchmark::kMillisecond);

void BM_Paste99ChannelRows(benchmark::State& state) {
    std::vector<std::uint8_t> data(V().nImageSize, 0);
    std::vector<clip::CRow> rows;
    for (int n = 1; n <= 99; ++n)
        rows.push_back(
            {channel::RowHeader(n), std::to_string(n), std::to_string(n), n % 2 ? "Add" : "Del"});
    const std::string strText = clip::FormatRows(texts::kChannelHeaders, rows);
    for (auto _ : state) {
        const clip::CParsedRows parsed = clip::ParseRows(strText, texts::kChannelHeaders);
        benchmark::DoNotOptimize(channel::PasteRows(data, V(), 1, 99, parsed.rows));
    }
}
BENCHMARK(BM_Paste99ChannelRows)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
