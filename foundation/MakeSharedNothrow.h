#pragma once

#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>

#include <utility>

namespace boost
{
// make_shared that reports failure (of allocation or of the constructor) as an empty pointer.
template <class T, class... Args>
boost::shared_ptr<T> make_shared_nothrow(Args&&... args) noexcept
{
    try
    {
        return boost::make_shared<T>(std::forward<Args>(args)...);
    }
    catch (...)
    {
        return boost::shared_ptr<T>();
    }
}
} // namespace boost
