#pragma once

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <string>

namespace FX
{
class CSQLite3StatementHandle;

// A cursor over a query's rows, standing on the first row when made. Fields are read by
// column name or index; a NULL field reads as the default given. Failures throw
// CSQLite3Exception.
class CSQLite3Query
{
public:
    CSQLite3Query(const boost::shared_ptr<CSQLite3StatementHandle>& statement, bool eof);

    bool Eof() const { return m_eof; }
    void NextRow();

    int GetIntField(const char* name, int nullValue) const;
    int GetIntField(int index, int nullValue) const;
    std::int64_t GetBigIntField(const char* name, std::int64_t nullValue) const;
    std::int64_t GetBigIntField(int index, std::int64_t nullValue) const;
    std::string GetStringField(const char* name, const char* nullValue) const;
    std::string GetStringField(int index, const char* nullValue) const;
    // The same into out, whose storage is reused: NULL gives an empty text.
    void GetStringField(int index, std::string& out) const;
    // The field's bytes, valid until the cursor moves; NULL gives null and length 0.
    const unsigned char* GetBlobField(const char* name, int& length) const;
    const unsigned char* GetBlobField(int index, int& length) const;

private:
    int FieldIndex(const char* name) const;
    // Throws unless a row is current and the index names a column.
    void CheckRow(int index) const;
    // As CheckRow; returns whether the field is NULL.
    bool CheckField(int index) const;

    boost::shared_ptr<CSQLite3StatementHandle> m_statement;
    bool m_eof;
};
} // namespace FX
