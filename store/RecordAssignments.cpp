#include "store/RecordAssignments.h"

#include "platform/ZuSQLite/DatabaseBase.h"
#include "platform/ZuUtils/FXString.h"

namespace FILEEXTENT_RESTORE
{
void CRecordAssignments::AddCondition(const char* name, const std::string& value)
{
    AddCondition(FXString::Format("%s='%s'", name, FX::CDatabaseBase::SqlSafeString(value).c_str()));
}

void CRecordAssignments::AddCondition(const char* name, std::uint32_t value)
{
    AddCondition(FXString::Format("%s=%u", name, value));
}

void CRecordAssignments::AddCondition(const std::string& condition)
{
    m_condition += (m_condition.empty() ? "" : " AND ") + condition;
}

void CRecordAssignments::Assign(const char* name, const std::string& value)
{
    m_assignments += FXString::Format("%s='%s', ", name, FX::CDatabaseBase::SqlSafeString(value).c_str());
}

void CRecordAssignments::Assign(const char* name, std::uint32_t value)
{
    AssignNumber(name, value);
}

void CRecordAssignments::Assign(const char* name, bool value)
{
    AssignNumber(name, value ? 1u : 0u);
}

void CRecordAssignments::AssignNumber(const char* name, unsigned int value)
{
    m_assignments += FXString::Format("%s=%u, ", name, value);
}

void CRecordAssignments::Assign(const char* name, std::int64_t value)
{
    m_assignments += FXString::Format("%s=%lld, ", name, static_cast<long long>(value));
}

void CRecordAssignments::Assign(const char* name, std::int32_t value)
{
    m_assignments += FXString::Format("%s=%d, ", name, value);
}

void CRecordAssignments::Assign(const char* name, const CExtentBitmap& value)
{
    m_assignments += FXString::Format("%s=?, ", name);
    m_blobs.push_back(CExtentBitmapText::ToText(value));
}
} // namespace FILEEXTENT_RESTORE
