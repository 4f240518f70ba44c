#pragma once

#include <boost/shared_ptr.hpp>

#include <string>

namespace FX
{
class CSQLite3Query;
class CSQLite3StatementHandle;

// A prepared statement with '?' parameters numbered from 1, reusable after Reset().
// Texts are copied when bound. Failures throw CSQLite3Exception.
class CSQLite3Statement
{
public:
    explicit CSQLite3Statement(const boost::shared_ptr<CSQLite3StatementHandle>& statement);

    // A null text binds NULL.
    void Bind(int index, const char* text);
    // The same without a copy: the text must stay as it is until the statement is reset.
    void BindUncopied(int index, const char* text);
    // Null bytes bind NULL; otherwise a BLOB of length bytes (0 gives an empty BLOB).
    void Bind(int index, const unsigned char* bytes, int length);
    void Bind(int index, int value);
    void Bind(int index, long value);
    void BindNull(int index);

    // Runs to completion; returns the rows changed.
    int ExecDML();
    // Runs and returns a cursor on the first row; valid until Reset().
    boost::shared_ptr<CSQLite3Query> ExecQuery();
    // Makes the statement reusable; every parameter is unbound.
    void Reset();

private:
    void Check(int rc) const;

    boost::shared_ptr<CSQLite3StatementHandle> m_statement;
};

static_assert(sizeof(long) == 8, "Bind(int, long) binds 64-bit values");
} // namespace FX
