#pragma once

#include <string>
#include <vector>

// The SQL a host would write itself against a table shaped like the library's "RestoredItems":
// the same CREATE column list, and the library's own final-status rule as one statement.
class CRestoredItemsSql
{
public:
    static const std::string& Table();
    static const std::vector<std::string>& Columns();
    static std::string Create();
    // Every column, in table order.
    static std::string Insert();
    // Binds: bitmap, status, error code, path, version.
    static std::string UpdateExtent();
    // Decides every SUCCESS or PROGRESSING row as UpdateStatus does: FAILED (with 0x1700003E
    // when it had no error) when incomplete, SUCCESS otherwise.
    static std::string DecideStatus();
    static std::string SelectAll();
    // Rows whose every extent is set and whose status is SUCCESS.
    static std::string CountRestored();
};
