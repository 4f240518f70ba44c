#pragma once

#include "collector/AgentRestoredItem.h"
#include "store/ExtentItemColumns.h"

namespace FILEEXTENT_COLLECTOR
{
// The rows of "AgentItems": the restored-item columns, keyed also by the agent, and the order
// of the message that carried the record.
class CAgentItemColumns
{
public:
    static const char* TableName() { return "AgentItems"; }
    static const char* ColumnListFormat()
    {
        return "(%s TEXT NOT NULL COLLATE NOCASE, %s INT, %s TEXT NOT NULL, %s TEXT, %s INT, %s INT8, %s BOOLEAN, "
               "%s TEXT, %s BIGINT, %s BLOB, %s TEXT, %s INT, %s BIGINT, %s BIGINT, %s BIGINT, "
               "PRIMARY KEY (%s, %s, %s))";
    }

    template <class Record, class Visitor>
    static void Visit(Record& row, Visitor& visitor)
    {
        visitor.Key("FilePath", row.Item.FilePath);
        visitor.Key("RestoredItemVersion", row.Item.RestoredItemVersion);
        visitor.Key("AgentId", row.AgentId);
        FILEEXTENT_RESTORE::CExtentItemColumns::Visit(row.Item, visitor);
        visitor.Field("Metadata", row.Item.Metadata);
        visitor.Field("TaskId", row.Item.TaskId);
        visitor.Field("Incarnation", row.Incarnation);
        visitor.Field("Sequence", row.Sequence);
        visitor.Field("Position", row.Position);
    }
};
} // namespace FILEEXTENT_COLLECTOR
