#pragma once

#include "recall/RecalledItem.h"
#include "store/ExtentItemColumns.h"

#include <new>
#include <string>

namespace FILEEXTENTRECALLDB
{
// The "Metadata" column holds the metadata's JSON text.
inline std::string ToColumnText(const CFileExtentRecallFileMetadata& metadata)
{
    std::string text;
    // Writing fails only for want of memory; the table turns this into ERROR_OUTOFMEMORY
    // rather than storing a truncated text.
    if (CFileExtentRecallFileMetadata::SerializeToString(metadata, text).IsError())
        throw std::bad_alloc();
    return text;
}

// Keys the text lacks keep the defaults of the fresh metadata the reader passes in.
inline void FromColumnText(const std::string& text, CFileExtentRecallFileMetadata& metadata)
{
    CFileExtentRecallFileMetadata::DeserializeFromString(text, metadata);
}

// The rows of "RecalledItems": one CRecalledItem per FilePath.
class CRecalledItemColumns
{
public:
    static const char* TableName() { return "RecalledItems"; }
    static const char* ColumnListFormat()
    {
        return "(%s TEXT NOT NULL COLLATE NOCASE, %s TEXT,\t%s INT,\t%s INT8, %s BOOLEAN, %s TEXT, %s BIGINT, "
               "%s BLOB, %s TEXT, PRIMARY KEY (%s))";
    }

    template <class Record, class Visitor>
    static void Visit(Record& item, Visitor& visitor)
    {
        visitor.Key("FilePath", item.FilePath);
        FILEEXTENT_RESTORE::CExtentItemColumns::Visit(item, visitor);
        visitor.Field("Metadata", item.Metadata);
    }
};
} // namespace FILEEXTENTRECALLDB
