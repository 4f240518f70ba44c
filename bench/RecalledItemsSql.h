#pragma once

#include <string>
#include <vector>

// The SQL a host would write itself against a table shaped like the library's "RecalledItems":
// the same CREATE column list, and an upsert of a whole row.
class CRecalledItemsSql
{
public:
    static const std::string& Table();
    static const std::vector<std::string>& Columns();
    static std::string Create();
    // Binds every column in table order; a stored row takes every value but its key's text.
    static std::string Upsert();
};
