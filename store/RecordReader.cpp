#include "store/RecordReader.h"

namespace FILEEXTENT_RESTORE
{
void CRecordReader::Read(int index, std::string& value)
{
    value = m_query.GetStringField(index, "");
}

void CRecordReader::Read(int index, std::uint32_t& value)
{
    value = static_cast<std::uint32_t>(m_query.GetBigIntField(index, 0));
}

void CRecordReader::Read(int index, boost::optional<std::string>& value)
{
    value = m_query.GetStringField(index, "");
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
    value = CExtentBitmapText::FromText(bytes, static_cast<size_t>(length));
}
} // namespace FILEEXTENT_RESTORE
