#include "cache/FileExtentDBCache.h"
#include "cache/FileExtentPersist.h"
#include "platform/ZuUtils/FXErrorUtil.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

using namespace FILEEXTENT_RESTORE;

namespace
{
// An adapter that stores nothing: measures the cache alone.
class NullPersist : public IFileExtentPersist<std::string, CRestoredItem>
{
public:
    CZuError Update(const std::string&, const CRestoredItem&) override { return CZuError::Success(); }
    CZuError Update(const std::vector<std::tuple<std::string, CRestoredItem>>&) override { return CZuError::Success(); }
    CZuError Get(const std::string&, CRestoredItem&) override { return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND); }
    CZuError Delete(const std::string&) override { return CZuError::Success(); }
};

typedef std::function<bool(const std::string&, const std::string&)> Compare;
typedef CFileExtentDBCache<std::string, CRestoredItem, Compare, _deleter<CRestoredItem>> Cache;

CRestoredItem Record(size_t extents)
{
    CRestoredItem item;
    item.Reset();
    item.RestoredFilePath = "/restore/target/path/of/a/file.dat";
    item.ExtentBitmap = boost::dynamic_bitset<unsigned char>(extents);
    item.NumOfExtents = static_cast<std::int64_t>(extents);
    return item;
}
} // namespace

// One extent event as the facade does it: Get the record, set a bit, Update it.
static void BM_CacheExtentEvent(benchmark::State& state)
{
    Cache cache(boost::make_shared<NullPersist>(), 0, std::less<std::string>());
    const int files = 1000;
    const size_t extents = static_cast<size_t>(state.range(0));
    for (int i = 0; i < files; ++i)
        cache.Update("/data/file" + std::to_string(i), Record(extents));
    size_t event = 0;
    std::vector<std::string> keys;
    for (int i = 0; i < files; ++i)
        keys.push_back("/data/file" + std::to_string(i));
    for (auto _ : state)
    {
        const std::string& key = keys[event % files];
        CRestoredItem item;
        cache.Get(key, item);
        item.ExtentBitmap->set((event / files) % extents);
        cache.Update(key, item);
        ++event;
    }
    state.SetItemsProcessed(static_cast<int64_t>(event));
}
BENCHMARK(BM_CacheExtentEvent)->Arg(64)->Arg(4096);

// New records past the capacity: every add evicts.
static void BM_CacheAddWithEviction(benchmark::State& state)
{
    Cache cache(boost::make_shared<NullPersist>(), static_cast<unsigned int>(state.range(0)), std::less<std::string>());
    size_t added = 0;
    const CRestoredItem record = Record(64);
    for (auto _ : state)
        cache.Update("/data/file" + std::to_string(added++), record);
    state.SetItemsProcessed(static_cast<int64_t>(added));
}
BENCHMARK(BM_CacheAddWithEviction)->Arg(0)->Arg(64);
