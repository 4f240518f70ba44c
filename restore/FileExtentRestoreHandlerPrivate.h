#pragma once

#include "cache/FileExtentDBCache.h"
#include "restore/FileExtentRestoreOptions.h"
#include "restore/records/FileExtentRestoredFileAttributesAndStatus.h"
#include "store/FileExtentRestoreDB.h"
#include "store/FileExtentRestoreDBHandler.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <functional>
#include <string>

namespace FILEEXTENT_RESTORE
{
typedef std::function<bool(const CRestoringItemAndVersion&, const CRestoringItemAndVersion&)>
    CRestoringItemComparator;
typedef CFileExtentDBCache<CRestoringItemAndVersion, CRestoredItem, CRestoringItemComparator, _deleter<CRestoredItem>>
    CRestoredItemCache;

// Paths without regard to case, then versions ascending: the order of every restore cache.
bool IsRestoringItemOrderedBefore(const CRestoringItemAndVersion& a, const CRestoringItemAndVersion& b);

class CFileExtentRestoreHandlerPrivate
{
public:
    CFileExtentRestoreHandlerPrivate();
    // Members are destroyed in reverse order: writer cache, reader cache, table, database.
    ~CFileExtentRestoreHandlerPrivate();

    CRestoringItemComparator fnComparator;
    bool bDistributedRestore;
    std::string strDBDir;
    // The options of Initialize.
    CFileExtentRestoreOptions options;
    boost::shared_ptr<CFileExtentRestoreDB> ptrDB;
    boost::shared_ptr<CFileExtentRestoreDBHandler> ptrDBHandler;
    boost::shared_ptr<CRestoredItemCache> ptrReaderCache;
    boost::shared_ptr<CRestoredItemCache> ptrWriterCache;
    // The longest row the database stores, read when the table is made.
    std::int64_t maxRowLength;
    // A distributed restore's records that its writer evicted after sending them.
    boost::shared_ptr<CFileExtentRestoreDBHandler> ptrEvictedHandler;
};
} // namespace FILEEXTENT_RESTORE
