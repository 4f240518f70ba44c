#include "store/RecordReader.h"

namespace FILEEXTENT_RESTORE
{
void CRecordReader::Read(const char* name, std::string& value)
{
    value = m_query.GetStringField(name, "");
}

void CRecordReader::Read(const char* name, std::uint32_t& value)
{
    value = static_cast<std::uint32_t>(m_query.GetIntField(name, 0));
}

void CRecordReader::Read(const char* name, boost::optional<std::string>& value)
{
    value = m_query.GetStringField(name, "");
}

void CRecordReader::Read(const char* name, boost::optional<std::uint32_t>& value)
{
    value = static_cast<std::uint32_t>(m_query.GetIntField(name, 0));
}

void CRecordReader::Read(const char* name, boost::optional<bool>& value)
{
    value = m_query.GetIntField(name, 0) != 0;
}

void CRecordReader::Read(const char* name, boost::optional<std::int64_t>& value)
{
    value = m_query.GetBigIntField(name, 0);
}

void CRecordReader::Read(const char* name, boost::optional<std::int32_t>& value)
{
    value = static_cast<std::int32_t>(m_query.GetIntField(name, 0));
}

void CRecordReader::Read(const char* name, boost::optional<CExtentBitmap>& value)
{
    int length = 0;
    const unsigned char* bytes = m_query.GetBlobField(name, length);
    value = CExtentBitmapText::FromText(bytes, static_cast<size_t>(length));
}
} // namespace FILEEXTENT_RESTORE
