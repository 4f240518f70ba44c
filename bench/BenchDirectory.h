#pragma once

#include <string>

// A fresh directory under the system temp folder, removed with everything in it on destruction.
class CBenchDirectory
{
public:
    CBenchDirectory();
    ~CBenchDirectory();

    CBenchDirectory(const CBenchDirectory&) = delete;
    CBenchDirectory& operator=(const CBenchDirectory&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    // A new empty directory inside this one.
    std::string NewSubdirectory(const std::string& name) const;

private:
    std::string m_path;
};
