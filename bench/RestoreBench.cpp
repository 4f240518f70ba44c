#include "restore/FileExtentRestoreHandler.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using namespace FILEEXTENT_RESTORE;

namespace
{
std::string MakeTempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "fileextent-bench-XXXXXX").string();
    return ::mkdtemp(&pattern[0]) ? pattern : std::string();
}
} // namespace

// A whole ordinary restore into a real SQLite file: container + extent events, flush, final status.
static void BM_OrdinaryRestore(benchmark::State& state)
{
    const int files = static_cast<int>(state.range(0));
    const int extents = static_cast<int>(state.range(1));
    int64_t events = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        const std::string dir = MakeTempDir();
        CFileExtentRestoreHandler handler;
        state.ResumeTiming();
        handler.Initialize(dir, false, nullptr, nullptr, 0);
        for (int i = 0; i < files; ++i)
        {
            const std::string path = "/data/file" + std::to_string(i);
            CFileExtentContainerItemRestoreReportPtr container(new CFileExtentContainerItemRestoreReport());
            container->SetNoOfExtents(static_cast<ULONGLONG>(extents));
            container->SetRestoredFilePath("/restore" + path);
            handler.OnContainerItem(path, 0, container);
            CFileExtentExtentItemRestoreReportPtr extent(new CFileExtentExtentItemRestoreReport());
            extent->SetRestoreStatus(SUCCESS);
            for (int e = 0; e < extents; ++e)
            {
                extent->SetExtentNumber(static_cast<ULONGLONG>(e));
                handler.OnExtentItem(path, 0, extent);
            }
            events += 1 + extents;
        }
        handler.Flush();
        handler.UpdateStatus();
        handler.DeInitialize();
        state.PauseTiming();
        std::filesystem::remove_all(dir);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(events);
}
BENCHMARK(BM_OrdinaryRestore)->Args({2000, 64})->Unit(benchmark::kMillisecond)->Iterations(3);
