#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

// A private folder under the system temp dir, removed with everything in it
// when the object goes out of scope.
class TempDir
{
public:
    TempDir()
    {
        std::random_device rd;
        std::mt19937_64 gen(rd());
        const auto base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100; ++attempt) {
            auto candidate = base / ("tabvane-test-" + std::to_string(gen()));
            if (std::filesystem::create_directory(candidate)) {
                m_path = candidate.string();
                return;
            }
        }
        throw std::runtime_error("TempDir: cannot create a temporary folder");
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path() const { return m_path; }

    // Writes contents byte for byte to name inside the folder; returns the full path.
    std::string file(const std::string& name, std::string_view contents) const
    {
        const std::string full = m_path + "/" + name;
        std::ofstream out(full, std::ios::binary | std::ios::trunc);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        if (!out)
            throw std::runtime_error("TempDir: cannot write " + full);
        return full;
    }

private:
    std::string m_path;
};

// Whole file as bytes; empty if it cannot be read.
inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
