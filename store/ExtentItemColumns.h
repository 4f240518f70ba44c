#pragma once

namespace FILEEXTENT_RESTORE
{
// The columns that restored and recalled items share, in table order, between their key
// columns and their "Metadata" column. Both records name these members alike.
class CExtentItemColumns
{
public:
    template <class Record, class Visitor>
    static void Visit(Record& item, Visitor& visitor)
    {
        visitor.Field("RestoredFilePath", item.RestoredFilePath);
        visitor.Field("ErrorCode", item.ErrorCode);
        visitor.Field("Status", item.Status);
        visitor.Field("ContainerItemRestored", item.ContainerItemRestored);
        visitor.Field("PostProcessAction", item.PostProcessAction);
        visitor.Field("NumOfExtents", item.NumOfExtents);
        visitor.Field("ExtentBitmap", item.ExtentBitmap);
    }
};
} // namespace FILEEXTENT_RESTORE
