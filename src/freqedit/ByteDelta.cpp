// SPDX-License-Identifier: GPL-3.0-or-later
#include "freqedit/ByteDelta.h"

#include <algorithm>

namespace history {

CByteDelta::CByteDelta(std::span<const std::uint8_t> before, std::span<const std::uint8_t> after) {
    const std::size_t nSize = std::min(before.size(), after.size());
    std::size_t i = 0;
    while (i < nSize) {
        if (before[i] == after[i]) {
            ++i;
            continue;
        }
        std::size_t nEnd = i;
        while (nEnd < nSize && before[nEnd] != after[nEnd])
            ++nEnd;
        m_runs.push_back({i,
                          {before.begin() + static_cast<std::ptrdiff_t>(i),
                           before.begin() + static_cast<std::ptrdiff_t>(nEnd)},
                          {after.begin() + static_cast<std::ptrdiff_t>(i),
                           after.begin() + static_cast<std::ptrdiff_t>(nEnd)}});
        i = nEnd;
    }
}

std::size_t CByteDelta::Size() const {
    std::size_t n = 0;
    for (const CRun& run : m_runs)
        n += run.before.size() + run.after.size();
    return n;
}

void CByteDelta::Apply(std::span<std::uint8_t> target, bool bUndo) const {
    for (const CRun& run : m_runs) {
        const std::vector<std::uint8_t>& bytes = bUndo ? run.before : run.after;
        if (run.nOffset + bytes.size() <= target.size())
            std::copy(bytes.begin(), bytes.end(),
                      target.begin() + static_cast<std::ptrdiff_t>(run.nOffset));
    }
}

} // namespace history
