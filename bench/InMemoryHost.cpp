#include "InMemoryHost.h"

#include "RestoreWorkload.h"

void CInMemoryHost::OnFile(const CRestoreWorkload& workload, std::size_t file)
{
    m_bits.insert_or_assign(workload.Path(file), boost::dynamic_bitset<unsigned char>(workload.Extents()));
}

void CInMemoryHost::OnExtent(const CRestoreWorkload& workload, std::size_t file, std::size_t extent)
{
    m_bits.find(workload.Path(file))->second.set(extent);
}

void CInMemoryHost::Finish()
{
    m_complete = 0;
    for (const auto& entry : m_bits)
        m_complete += entry.second.all() ? 1 : 0;
    m_bits.clear();
}
