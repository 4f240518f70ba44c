#include "store/RecordReader.h"

namespace FILEEXTENT_RESTORE
{
// Texts and bitmaps are read into the record's own storage: an enumeration reuses one record.
void CRecordReader::Read(int index, std::string& value)
{
    m_query.GetStringField(index, value);
}

void CRecordReader::Read(int index, std::uint32_t& value)
{
    value = static_cast<std::uint32_t>(m_query.GetBigIntField(index, 0));
}

void CRecordReader::Read(int index, boost::optional<std::string>& value)
{
    if (!value)
        value.emplace();
    m_query.GetStringField(index, *value);
}

void CRecordReader::Read(int index, boost::optional<std::uint32_t>& value)
{
    value = static_cast<std::uint32_t>(m_query.GetBigIntField(index, 0));
}

void CRecordReader::Read(int index, boost::optional<bool>& value)
{
    value = m_query.GetIntField(index, 0) != 0;
}

void CRecordReader::Read(int index, boost::optional<std::int64_t>& value)
{
    value = m_query.GetBigIntField(index, 0);
}

void CRecordReader::Read(int index, boost::optional<std::int32_t>& value)
{
    value = static_cast<std::int32_t>(m_query.GetIntField(index, 0));
}

void CRecordReader::Read(int index, boost::optional<CExtentBitmap>& value)
{
    int length = 0;
    const unsigned char* bytes = m_query.GetBlobField(index, length);
    if (!value)
        value.emplace();
    CExtentBitmapText::FromText(bytes, static_cast<size_t>(length), *value);
}
} // namespace FILEEXTENT_RESTORE
