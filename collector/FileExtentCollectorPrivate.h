#pragma once

#include "collector/CollectorAgentItemsTable.h"
#include "collector/CollectorAgentsTable.h"
#include "collector/FileExtentCollector.h"
#include "store/FileExtentRestoreDB.h"
#include "store/FileExtentRestoreDBHandler.h"

#include <boost/shared_ptr.hpp>

#include <string>

namespace FILEEXTENT_COLLECTOR
{
// The collector's database and its three tables; all empty until Open, released by Close.
class CFileExtentCollectorPrivate
{
public:
    explicit CFileExtentCollectorPrivate(const std::string& directory) : strDirectory(directory) {}

    const std::string strDirectory;
    boost::shared_ptr<FILEEXTENT_RESTORE::CFileExtentRestoreDB> ptrDB;
    // The files' merged records ("RestoredItems").
    boost::shared_ptr<FILEEXTENT_RESTORE::CFileExtentRestoreDBHandler> ptrMerged;
    boost::shared_ptr<CCollectorAgentItemsTable> ptrAgentItems;
    boost::shared_ptr<CCollectorAgentsTable> ptrAgents;
    CCollectorTotals totals;
};
} // namespace FILEEXTENT_COLLECTOR
