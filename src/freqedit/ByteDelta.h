// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes one change made to a buffer, as runs of (offset, bytes before, bytes after), so a
// long undo history stays small and undoing puts back exactly the bytes the change replaced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace history {

// Runs of bytes that differ between two buffers of one size.
class CByteDelta {
public:
    CByteDelta() = default;
    CByteDelta(std::span<const std::uint8_t> before, std::span<const std::uint8_t> after);

    bool Empty() const { return m_runs.empty(); }
    // Bytes kept (before and after).
    std::size_t Size() const;
    // Writes the bytes before the change (bUndo) or after it into target.
    void Apply(std::span<std::uint8_t> target, bool bUndo) const;

private:
    struct CRun {
        std::size_t nOffset;
        std::vector<std::uint8_t> before;
        std::vector<std::uint8_t> after;
    };
    std::vector<CRun> m_runs;
};

} // namespace history
