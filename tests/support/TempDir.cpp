// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempDir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

CTempDir::CTempDir() {
#ifdef _WIN32
    std::random_device random;
    for (int nAttempt = 0; nAttempt < 100 && m_path.empty(); ++nAttempt) {
        const auto path =
            std::filesystem::temp_directory_path() / ("wr7310-test-" + std::to_string(random()));
        std::error_code ec;
        if (std::filesystem::create_directory(path, ec))
            m_path = path;
    }
    if (m_path.empty())
        throw std::runtime_error("cannot create a temporary folder");
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "wr7310-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
#endif
}

CTempDir::~CTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string ReadTextFile(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteTextFile(const std::string& strPath, const std::string& strText) {
    std::ofstream(strPath, std::ios::binary | std::ios::trunc) << strText;
}

std::vector<std::uint8_t> ReadBinaryFile(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBinaryFile(const std::string& strPath, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}
