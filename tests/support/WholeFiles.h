#pragma once
// Whole files as bytes, for tests that look at what the code wrote or hand it
// damaged copies of real files.

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zxtest {

// The file's bytes (none when it cannot be read), in any container of bytes.
template <class Bytes = std::string> Bytes ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Creates or replaces the file with exactly these bytes.
inline void WriteWholeFile(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The path with Windows' separators, as plug-ins written for Windows spell it.
inline std::wstring WithBackslashes(std::wstring path) {
    for (auto& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

} // namespace zxtest
