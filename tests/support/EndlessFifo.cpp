// SPDX-License-Identifier: GPL-3.0-or-later
#include "EndlessFifo.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

CEndlessFifo::CEndlessFifo(std::string strPath, std::vector<unsigned char> bytes)
    : m_strPath(std::move(strPath)) {
    if (::mkfifo(m_strPath.c_str(), 0600) != 0)
        throw std::runtime_error("cannot create a named pipe");
    m_writer = std::thread([this, bytes = std::move(bytes), finished = m_done.get_future()] {
        // A reader that opens and closes before the bytes go out must cost the writer an
        // error, not the whole test program.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        const int fd = ::open(m_strPath.c_str(), O_WRONLY);
        if (fd < 0)
            return;
        [[maybe_unused]] const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        finished.wait_for(std::chrono::seconds(5));
        ::close(fd);
    });
}

CEndlessFifo::~CEndlessFifo() {
    m_done.set_value();
    // A writer still blocked in open (nobody ever read) is released by opening the other end.
    const int fd = ::open(m_strPath.c_str(), O_RDONLY | O_NONBLOCK);
    m_writer.join();
    if (fd >= 0)
        ::close(fd);
}
