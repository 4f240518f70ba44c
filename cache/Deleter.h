#pragma once

namespace FILEEXTENT_RESTORE
{
// The record deleter the owners install: it is handed a copy of the value and does nothing.
template <class T>
struct _deleter
{
    void operator()(T) const {}
};
} // namespace FILEEXTENT_RESTORE
