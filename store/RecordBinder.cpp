#include "store/RecordBinder.h"

namespace FILEEXTENT_RESTORE
{
// The record's own texts are bound without a copy: the record outlives the statement's run,
// which is reset before its caller returns.
void CRecordBinder::BindValue(const std::string& value)
{
    m_statement.BindUncopied(m_next++, value.c_str());
}

void CRecordBinder::BindValue(std::uint32_t value)
{
    // As a 64-bit number, so that values above 2^31 are stored as themselves (as UPDATE and
    // DELETE write them), not as negative ints.
    m_statement.Bind(m_next++, static_cast<long>(value));
}

void CRecordBinder::BindValue(const boost::optional<std::string>& value)
{
    m_statement.BindUncopied(m_next++, value ? value->c_str() : nullptr);
}

void CRecordBinder::BindValue(const boost::optional<std::uint32_t>& value)
{
    if (value)
        BindValue(*value);
    else
        BindNull();
}

void CRecordBinder::BindValue(const boost::optional<bool>& value)
{
    if (!value && m_mode == AllColumnsAsIs)
        return BindNull();
    m_statement.Bind(m_next++, value && *value ? 1 : 0);
}

void CRecordBinder::BindValue(const boost::optional<std::int64_t>& value)
{
    if (value)
        m_statement.Bind(m_next++, static_cast<long>(*value));
    else
        BindNull();
}

void CRecordBinder::BindValue(const boost::optional<std::int32_t>& value)
{
    if (value)
        m_statement.Bind(m_next++, static_cast<int>(*value));
    else
        BindNull();
}

void CRecordBinder::BindValue(const boost::optional<CExtentBitmap>& value)
{
    if (!value)
        return BindNull();
    std::string text = CExtentBitmapText::ToText(*value);
    m_statement.Bind(m_next++, reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
}

void CRecordBinder::BindText(const std::string& text)
{
    m_statement.Bind(m_next++, text.c_str());
}

void CRecordBinder::BindNull()
{
    m_statement.BindNull(m_next++);
}
} // namespace FILEEXTENT_RESTORE
