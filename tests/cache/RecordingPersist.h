#pragma once

#include "cache/FileExtentDBCache.h"
#include "cache/FileExtentPersist.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/FXString.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <strings.h>
#include <tuple>
#include <vector>

namespace cachetest
{
using FILEEXTENT_RESTORE::CRestoredItem;
typedef CRestoringItemAndVersion Key;

// The restore facade's key order: path without regard to case, then version.
inline bool RestoreKeyLess(const Key& a, const Key& b)
{
    int c = ::strcasecmp(a.FilePath.c_str(), b.FilePath.c_str());
    return c == 0 ? a.Version < b.Version : c < 0;
}

typedef std::function<bool(const Key&, const Key&)> KeyLess;
typedef FILEEXTENT_RESTORE::CFileExtentDBCache<Key, CRestoredItem, KeyLess, FILEEXTENT_RESTORE::_deleter<CRestoredItem>>
    Cache;

inline Key K(int i, unsigned int version = 1)
{
    return Key(FXString::Format("file%05d", i), version);
}

inline CRestoredItem Item(const Key& key, int task)
{
    CRestoredItem item;
    item.FilePath = key.FilePath;
    item.RestoredItemVersion = key.Version;
    item.TaskId = task;
    return item;
}

// A store that records every call made to it, in order, and fails the calls it is told to.
// Single and batch writes are numbered separately from 1.
class RecordingPersist : public FILEEXTENT_RESTORE::IFileExtentPersist<Key, CRestoredItem>
{
public:
    enum Kind { Single, Batch, Read, Remove };
    struct Call
    {
        Kind kind;
        std::vector<Key> keys;
        std::vector<CRestoredItem> values;
    };

    std::vector<Call> calls;
    std::map<Key, CRestoredItem, std::function<bool(const Key&, const Key&)>> stored{RestoreKeyLess};
    std::set<int> failingSingles;
    std::set<int> failingBatches;
    unsigned int failureCode = ERROR_NETWORK_UNREACHABLE;

    CZuError Update(const Key& key, const CRestoredItem& value) override
    {
        calls.push_back(Call{Single, {key}, {value}});
        if (failingSingles.count(++m_singles))
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, failureCode);
        stored[key] = value;
        return CZuError::Success();
    }

    CZuError Update(const std::vector<std::tuple<Key, CRestoredItem>>& items) override
    {
        Call call{Batch, {}, {}};
        for (const auto& item : items)
        {
            call.keys.push_back(std::get<0>(item));
            call.values.push_back(std::get<1>(item));
        }
        calls.push_back(call);
        if (failingBatches.count(++m_batches))
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, failureCode);
        for (const auto& item : items)
            stored[std::get<0>(item)] = std::get<1>(item);
        return CZuError::Success();
    }

    CZuError Get(const Key& key, CRestoredItem& value) override
    {
        calls.push_back(Call{Read, {key}, {}});
        auto pos = stored.find(key);
        if (pos == stored.end())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
        value = pos->second;
        return CZuError::Success();
    }

    CZuError Delete(const Key& key) override
    {
        calls.push_back(Call{Remove, {key}, {}});
        if (stored.erase(key) == 0)
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
        return CZuError::Success();
    }

    std::vector<Call> CallsOf(Kind kind) const
    {
        std::vector<Call> result;
        for (const Call& call : calls)
            if (call.kind == kind)
                result.push_back(call);
        return result;
    }
    size_t CountOf(Kind kind) const { return CallsOf(kind).size(); }

    // Paths of every key written by single or batch calls, in call order.
    std::vector<std::string> WrittenPaths() const
    {
        std::vector<std::string> paths;
        for (const Call& call : calls)
            if (call.kind == Single || call.kind == Batch)
                for (const Key& key : call.keys)
                    paths.push_back(key.FilePath);
        return paths;
    }

private:
    int m_singles = 0;
    int m_batches = 0;
};
} // namespace cachetest
