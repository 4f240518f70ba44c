#include "platform/KtLib/bstring.h"

#include <utility>

bstring::bstring(std::string bytes) : m_bytes(std::move(bytes))
{
}

bstring::~bstring() = default;
