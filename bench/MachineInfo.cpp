#include "MachineInfo.h"

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <thread>

#ifndef FX_BENCH_BUILD_TYPE
#define FX_BENCH_BUILD_TYPE "unknown"
#endif

namespace
{
std::string CpuModel()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    const std::string key = "model name";
    for (std::string line; std::getline(cpuinfo, line);)
    {
        if (line.compare(0, key.size(), key) != 0)
            continue;
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos)
            return line.substr(line.find_first_not_of(' ', colon + 1));
    }
    return "unknown CPU";
}
} // namespace

std::string CMachineInfo::Describe()
{
    return "machine: " + std::to_string(std::thread::hardware_concurrency()) + " cores, " + CpuModel() +
           "\nbuild:   " + FX_BENCH_BUILD_TYPE + ", SQLite " + sqlite3_libversion() + ", files in " +
           std::filesystem::temp_directory_path().string();
}
