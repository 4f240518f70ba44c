#include "transport/redis/FileExtentStreamKeys.h"

#include "foundation/ErrorPropagation.h"
#include "platform/ZuUtils/FXErrorUtil.h"

#include <new>

namespace FILEEXTENT_REDIS
{
namespace
{
const std::size_t MaxIdLength = 64;
const char* const KeyPrefix = "fileextent:";

bool IsIdCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}
} // namespace

bool CFileExtentStreamKeys::IsValidId(const std::string& id)
{
    if (id.empty() || id.size() > MaxIdLength)
        return false;
    for (char c : id)
    {
        if (!IsIdCharacter(c))
            return false;
    }
    return true;
}

CZuError CFileExtentStreamKeys::CheckId(const std::string& id, const char* what)
{
    if (IsValidId(id))
        return CZuError::Success();
    return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                   "The %s must be 1 to 64 characters of A-Z a-z 0-9 . _ -, not [%s]", what,
                                   id.substr(0, MaxIdLength * 2).c_str());
}

CZuError CFileExtentStreamKeys::ForJob(const std::string& job, CFileExtentStreamKeys& keys)
{
    FX_RETURN_IF_ERROR(CheckId(job, "job id"));
    try
    {
        keys.m_job = job;
        keys.m_records = KeyPrefix + job;
        keys.m_deadLetters = keys.m_records + ":dead";
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

std::string CFileExtentStreamKeys::Incarnation(const std::string& agentId) const
{
    return m_records + ":agent:" + agentId + ":incarnation";
}
} // namespace FILEEXTENT_REDIS
