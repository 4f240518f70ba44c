#pragma once

#include <string>
#include <vector>

// The column names of one of the library's table layouts (CRestoredItemColumns,
// CRecalledItemColumns), read from the layout itself so that the baselines' SQL follows it.
template <class Layout, class Record>
class CLayoutColumns
{
public:
    static const std::vector<std::string>& Columns() { return Names().columns; }
    static const std::vector<std::string>& Keys() { return Names().keys; }

    // The CREATE TABLE column list: the layout's format takes every column, then every key.
    static std::string ColumnList()
    {
        std::vector<std::string> names = Columns();
        names.insert(names.end(), Keys().begin(), Keys().end());
        const std::string format = Layout::ColumnListFormat();
        std::string text;
        std::size_t next = 0;
        std::size_t start = 0;
        for (std::size_t found = format.find("%s"); found != std::string::npos; found = format.find("%s", start))
        {
            text += format.substr(start, found - start) + names.at(next++);
            start = found + 2;
        }
        return text + format.substr(start);
    }

    // "a, b, c" and "?, ?, ?" for every column, in table order.
    static std::string NameList() { return Joined(Columns()); }
    static std::string Marks() { return Joined(std::vector<std::string>(Columns().size(), "?")); }

private:
    struct CCollector
    {
        std::vector<std::string> columns;
        std::vector<std::string> keys;

        template <class Member>
        void Key(const char* name, Member&)
        {
            columns.push_back(name);
            keys.push_back(name);
        }
        template <class Member>
        void Field(const char* name, Member&)
        {
            columns.push_back(name);
        }
    };

    static const CCollector& Names()
    {
        static const CCollector names = [] {
            CCollector collector;
            Record record;
            Layout::Visit(record, collector);
            return collector;
        }();
        return names;
    }

    static std::string Joined(const std::vector<std::string>& parts)
    {
        std::string text;
        for (const std::string& part : parts)
            text += (text.empty() ? "" : ", ") + part;
        return text;
    }
};
