#pragma once

#include "collector/CollectorAgent.h"

namespace FILEEXTENT_COLLECTOR
{
// The rows of "Agents": one CCollectorAgent per agent id.
class CCollectorAgentColumns
{
public:
    static const char* TableName() { return "Agents"; }
    static const char* ColumnListFormat()
    {
        return "(%s TEXT NOT NULL, %s BIGINT, %s BIGINT, %s BIGINT, %s BIGINT, %s BIGINT, %s BIGINT, %s BIGINT, "
               "PRIMARY KEY (%s))";
    }

    template <class Record, class Visitor>
    static void Visit(Record& agent, Visitor& visitor)
    {
        visitor.Key("AgentId", agent.AgentId);
        visitor.Field("Incarnation", agent.Incarnation);
        visitor.Field("LastSequence", agent.LastSequence);
        visitor.Field("Messages", agent.Messages);
        visitor.Field("Records", agent.Records);
        visitor.Field("Stale", agent.Stale);
        visitor.Field("Refused", agent.Refused);
        visitor.Field("LastSeenMs", agent.LastSeenMs);
    }
};
} // namespace FILEEXTENT_COLLECTOR
