// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/EditHistory.h"

#include <algorithm>
#include <utility>

namespace history {

CEditStep::CEditStep(std::string strName, const CDocState& before, const CDocState& after)
    : m_strName(std::move(strName)), m_data(before.data, after.data),
      m_image(before.image, after.image), m_valuesBefore(before.values),
      m_valuesAfter(after.values) {}

bool CEditStep::Empty() const {
    return m_data.Empty() && m_image.Empty() && m_valuesBefore == m_valuesAfter;
}

void CEditStep::Apply(CDocState& state, bool bUndo) const {
    m_data.Apply(state.data, bUndo);
    m_image.Apply(state.image, bUndo);
    state.values = bUndo ? m_valuesBefore : m_valuesAfter;
}

} // namespace history
