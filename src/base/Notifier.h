// SPDX-License-Identifier: GPL-3.0-or-later
// How the core tells the user what happened. A layer that detects a failure reports it at
// once through the application's notifier; the desktop shows a message box, the command-line
// tool prints to standard error and tests record the texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class MsgIcon { None, Information, Exclamation, Error };

class INotifier {
public:
    virtual ~INotifier() = default;
    // Shows one modal message with an OK button; returns when the user has acknowledged it.
    virtual void ShowMessage(std::string_view strText, std::string_view strCaption,
                             MsgIcon icon) = 0;
};

// Prints "caption: text" (or just the text) to standard error, one message a line.
class CStderrNotifier : public INotifier {
public:
    void ShowMessage(std::string_view strText, std::string_view strCaption, MsgIcon icon) override;
};

// Remembers every message; for tests.
class CRecordingNotifier : public INotifier {
public:
    struct CMessage {
        std::string strText;
        std::string strCaption;
        MsgIcon icon;
    };
    void ShowMessage(std::string_view strText, std::string_view strCaption, MsgIcon icon) override;
    std::vector<std::string> Texts() const;

    std::vector<CMessage> m_messages;
};
