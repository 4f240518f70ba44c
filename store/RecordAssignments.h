#pragma once

#include "store/ExtentBitmapText.h"

#include <boost/optional.hpp>

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

namespace FILEEXTENT_RESTORE
{
// Column visitor that writes a record as SQL text: its fields that hold a value as the SET
// list of an UPDATE ("Column=value, " each; texts escaped; a bitmap as "?" with its text in
// Blobs()), and its keys as a WHERE condition ("Key='text' AND Key=number").
class CRecordAssignments
{
public:
    template <class T>
    void Key(const char* name, const T& value)
    {
        AddCondition(name, value);
    }
    template <class T>
    void Field(const char* name, const boost::optional<T>& value)
    {
        if (value)
            Assign(name, *value);
    }

    const std::string& Assignments() const { return m_assignments; }
    const std::string& Condition() const { return m_condition; }
    const std::vector<std::string>& Blobs() const { return m_blobs; }

private:
    void AddCondition(const char* name, const std::string& value);
    void AddCondition(const char* name, std::uint32_t value);
    void AddCondition(const std::string& condition);

    void Assign(const char* name, const std::string& value);
    void Assign(const char* name, std::uint32_t value);
    void Assign(const char* name, bool value);
    void Assign(const char* name, std::int64_t value);
    void Assign(const char* name, std::int32_t value);
    void Assign(const char* name, const CExtentBitmap& value);
    void AssignNumber(const char* name, unsigned int value);

    // Statuses (enums) as their low byte; other types as text through ToColumnText(value),
    // found by argument-dependent lookup in the type's namespace.
    template <class T>
    void Assign(const char* name, const T& value)
    {
        if constexpr (std::is_enum<T>::value)
            AssignNumber(name, static_cast<unsigned int>(value) & 0xFF);
        else
            Assign(name, std::string(ToColumnText(value)));
    }

    std::string m_assignments;
    std::string m_condition;
    std::vector<std::string> m_blobs;
};
} // namespace FILEEXTENT_RESTORE
