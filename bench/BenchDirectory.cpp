#include "BenchDirectory.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

CBenchDirectory::CBenchDirectory()
{
    const std::string pattern = (std::filesystem::temp_directory_path() / "fileextent-bench-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        throw std::runtime_error("cannot create a directory like " + pattern);
    m_path = buffer.data();
}

CBenchDirectory::~CBenchDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string CBenchDirectory::NewSubdirectory(const std::string& name) const
{
    const std::string path = File(name);
    std::filesystem::remove_all(path);
    std::filesystem::create_directory(path);
    return path;
}
