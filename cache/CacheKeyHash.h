#pragma once

#include "foundation/AsciiNoCase.h"
#include "restore/records/RestoringItemAndVersion.h"

#include <cstddef>
#include <string>

namespace FILEEXTENT_RESTORE
{
// A hash of a cache's keys, for finding a record without walking the ordered map. Keys that
// differ only in ASCII letter case hash alike, so one hash serves both the case-sensitive and
// the case-insensitive orders the owners install. The map stays the authority: a key the hash
// does not find is looked up there too. Key types without a specialisation are not hashed.
template <class Key>
struct CCacheKeyHash
{
    static const bool kHashed = false;
    static std::size_t Hash(const Key&) { return 0; }
    static bool Identical(const Key&, const Key&) { return false; }
};

template <>
struct CCacheKeyHash<std::string>
{
    static const bool kHashed = true;
    static std::size_t Hash(const std::string& key) { return CAsciiNoCase::Hash()(key); }
    // The same bytes: the same key for any order.
    static bool Identical(const std::string& a, const std::string& b) { return a == b; }
};

template <>
struct CCacheKeyHash<CRestoringItemAndVersion>
{
    static const bool kHashed = true;
    static std::size_t Hash(const CRestoringItemAndVersion& key)
    {
        return CAsciiNoCase::Hash()(key.FilePath) ^ (static_cast<std::size_t>(key.Version) * 0x9E3779B97F4A7C15ull);
    }
    static bool Identical(const CRestoringItemAndVersion& a, const CRestoringItemAndVersion& b)
    {
        return a.Version == b.Version && a.FilePath == b.FilePath;
    }
};
} // namespace FILEEXTENT_RESTORE
