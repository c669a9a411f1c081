#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/DataGenerator.h"

// The generated input of a benchmark run: written once into the temp folder
// and removed when the run ends.
class GeneratedFile {
public:
    GeneratedFile(const std::string& prefix, int rows)
        : m_path((std::filesystem::temp_directory_path() / (prefix + std::to_string(getpid()) + ".csv")).string())
    {
        const std::string text = makePeopleCsv(rows);
        std::ofstream(m_path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    ~GeneratedFile() { std::remove(m_path.c_str()); }
    GeneratedFile(const GeneratedFile&) = delete;
    GeneratedFile& operator=(const GeneratedFile&) = delete;

    const std::string& path() const { return m_path; }
    double megabytes() const { return static_cast<double>(std::filesystem::file_size(m_path)) / 1e6; }

private:
    std::string m_path;
};

// The peak resident memory of this process so far, in kB; it starts afresh at exec.
inline long peakResidentKB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// A measuring child prints its peak on a line of its own, marked: the window
// may print a notice on the way (a missing printer), which the parent skips.
inline void printPeak()
{
    std::printf("peak_kB %ld\n", peakResidentKB());
}

// Runs this benchmark's own executable with `flag` and `file`, in a fresh
// process so that earlier benchmarks do not raise the peak, and returns the
// peak in MB that the child prints; negative when the child failed.
inline double childPeakMB(const std::string& flag, const std::string& file)
{
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = "'" + self + "' " + flag + " '" + file + "'";
    FILE* child = popen(command.c_str(), "r");
    long kB = 0;
    if (!child)
        return -1;
    bool read = false;
    char line[512];
    while (std::fgets(line, sizeof line, child))
        if (std::sscanf(line, "peak_kB %ld", &kB) == 1)
            read = true;
    if (pclose(child) != 0 || !read)
        return -1;
    return static_cast<double>(kB) / 1e3;
}
