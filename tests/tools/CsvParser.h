#pragma once

#include <string>
#include <vector>

// A strict RFC 4180 reader: CRLF records, quoted fields with doubled quotes. Throws on text
// that is not valid CSV, so a test fails on output a spreadsheet would misread.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text);
