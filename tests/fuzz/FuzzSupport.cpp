// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

void FuzzCheck(bool bCondition, const char* pszWhat) {
    if (bCondition)
        return;
    std::fprintf(stderr, "property violated: %s\n", pszWhat);
    std::abort();
}

const std::string& FuzzDir() {
    static const std::string strDir = [] {
        // Memory-backed where there is such a folder: every save syncs to the disk.
        std::string pattern = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/wr7310-fuzz-XXXXXX"
                                                              : "/tmp/wr7310-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    return strDir;
}

void WriteWholeFile(const std::string& strPath, std::span<const std::uint8_t> bytes) {
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
