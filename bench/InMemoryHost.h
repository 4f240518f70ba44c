#pragma once

#include <boost/dynamic_bitset.hpp>

#include <cstddef>
#include <string>
#include <unordered_map>

class CRestoreWorkload;

// The bound no store can beat: a bitset per path in a hash map, nothing written anywhere.
class CInMemoryHost
{
public:
    void OnFile(const CRestoreWorkload& workload, std::size_t file);
    void OnExtent(const CRestoreWorkload& workload, std::size_t file, std::size_t extent);
    // Counts the files whose every extent arrived, then lets go of the bits.
    void Finish();
    std::size_t Complete() const { return m_complete; }

private:
    std::unordered_map<std::string, boost::dynamic_bitset<unsigned char>> m_bits;
    std::size_t m_complete = 0;
};
