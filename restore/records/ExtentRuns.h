#pragma once

#include "platform/ZuUtils/ZuError.h"
#include "platform/ZuUtils/ZuTypes.h"

#include <boost/dynamic_bitset.hpp>

#include <functional>

namespace FILEEXTENT_RESTORE
{
// Runs of extents in an extent bitmap (bit n set: extent n was reported).
class CExtentRuns
{
public:
    typedef std::function<CZuError(ULONGLONG first, ULONGLONG count)> RunFn;

    // Calls fn once per run of consecutive clear bits (extents not reported), in ascending
    // order, and stops at fn's first failure, which it returns. The bitmap is read a block at
    // a time; nothing is allocated.
    static CZuError ForEachMissing(const boost::dynamic_bitset<unsigned char>& bitmap, const RunFn& fn);
};
} // namespace FILEEXTENT_RESTORE
