#pragma once

#include <exception>
#include <string>

namespace FX
{
// An engine failure: the extended result code and the engine's message (null when it gave none).
class CSQLite3Exception : public std::exception
{
public:
    CSQLite3Exception(int code, const char* message);

    int errorCode() const { return m_code; }
    const char* errorMessage() const { return m_hasMessage ? m_message.c_str() : nullptr; }
    const char* what() const noexcept override;

private:
    int m_code;
    bool m_hasMessage;
    std::string m_message;
};
} // namespace FX
