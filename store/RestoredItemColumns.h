#pragma once

#include "restore/records/RestoredItem.h"
#include "store/ExtentItemColumns.h"

namespace FILEEXTENT_RESTORE
{
// The rows of "RestoredItems": one CRestoredItem per (FilePath, RestoredItemVersion).
class CRestoredItemColumns
{
public:
    static const char* TableName() { return "RestoredItems"; }
    static const char* ColumnListFormat()
    {
        return "(%s TEXT NOT NULL COLLATE NOCASE, %s INT, %s TEXT,\t%s INT,\t%s INT8, %s BOOLEAN, %s TEXT, "
               "%s BIGINT, %s BLOB, %s TEXT, %s INT, PRIMARY KEY (%s, %s))";
    }

    template <class Record, class Visitor>
    static void Visit(Record& item, Visitor& visitor)
    {
        visitor.Key("FilePath", item.FilePath);
        visitor.Key("RestoredItemVersion", item.RestoredItemVersion);
        CExtentItemColumns::Visit(item, visitor);
        visitor.Field("Metadata", item.Metadata);
        visitor.Field("TaskId", item.TaskId);
    }
};
} // namespace FILEEXTENT_RESTORE
