// SPDX-License-Identifier: GPL-3.0-or-later
// A named pipe whose writer sends some bytes and then keeps the stream open without ever
// ending it: the input of a reader that must not wait for an end of file.
#pragma once

#include <future>
#include <string>
#include <thread>
#include <vector>

class CEndlessFifo {
public:
    // Creates the pipe at strPath (which must not exist) and starts the writer.
    CEndlessFifo(std::string strPath, std::vector<unsigned char> bytes);
    // Lets the writer close its end and waits for it.
    ~CEndlessFifo();
    CEndlessFifo(const CEndlessFifo&) = delete;
    CEndlessFifo& operator=(const CEndlessFifo&) = delete;

    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
    std::promise<void> m_done;
    std::thread m_writer;
};
