#pragma once

#include <string>

// Where an error was made or passed through: file base name, signature text, line.
class FXCodeLocation
{
public:
    FXCodeLocation(const std::string& file, const std::string& function, int line);

    const std::string& GetFile() const { return m_file; }
    const std::string& GetFunction() const { return m_function; }
    int GetLine() const { return m_line; }

    // "dir/File.cpp" -> "File.cpp"; used by FX_CODE_LOCATION.
    static const char* BaseName(const char* path);

private:
    std::string m_file;
    std::string m_function;
    int m_line;
};

#define FX_CODE_LOCATION FXCodeLocation(FXCodeLocation::BaseName(__FILE__), __PRETTY_FUNCTION__, __LINE__)
