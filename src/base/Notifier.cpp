// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Notifier.h"

#include <iostream>

void CStderrNotifier::ShowMessage(std::string_view strText, std::string_view strCaption,
                                  MsgIcon /*icon*/) {
    if (!strCaption.empty())
        std::cerr << strCaption << ": ";
    std::cerr << strText << '\n';
}

void CRecordingNotifier::ShowMessage(std::string_view strText, std::string_view strCaption,
                                     MsgIcon icon) {
    m_messages.push_back({std::string(strText), std::string(strCaption), icon});
}

std::vector<std::string> CRecordingNotifier::Texts() const {
    std::vector<std::string> texts;
    for (const CMessage& m : m_messages)
        texts.push_back(m.strText);
    return texts;
}
