#pragma once

#include "cache/FileExtentPersist.h"
#include "foundation/ErrorContext.h"
#include "platform/ZuUtils/FXString.h"
#include "platform/ZuUtils/ZuError.h"

#include <cstddef>
#include <string>
#include <tuple>
#include <vector>

namespace FILEEXTENT_RESTORE
{
// How an error names the record of a key (the restore key has its own, found by its namespace).
inline std::string DescribeKey(const std::string& key)
{
    return key;
}
template <class Key>
std::string DescribeKey(const Key&)
{
    return "a record";
}

// One record's write through the store's single-record Update; a failure names the record.
template <class Key, class Value>
CZuError PersistRecord(IFileExtentPersist<Key, Value>& persist, const Key& key, const Value& value)
{
    CZuError err = persist.Update(key, value);
    if (err.IsError())
        return CErrorContext::Wrap(err, FX_CODE_LOCATION, "Failed to write [" + DescribeKey(key) + "]");
    return CZuError::Success();
}

// One write-back pass of a cache: the dirty records it is handed (map positions whose
// ->first is the key and ->second->value the record) are written one at a time, or in blocks
// of blockSize when that is 2 or more, inside one transaction when the store has them (a record
// may take more than one statement). Written() holds the records whose writes are in the store
// once Finish() returned; a record the store refused is not among them, and FirstError() says
// why. The pass calls only the store; the cache marks and evicts by what it reports.
template <class Key, class Value, class Position>
class CCacheWritePass
{
public:
    typedef IFileExtentPersist<Key, Value> Persist;

    // records: how many will be handed over; no transaction is opened for none.
    CCacheWritePass(Persist& persist, unsigned int blockSize, std::size_t records)
        : m_persist(persist), m_blockSize(blockSize), m_useTransaction(persist.HasTransactions() && records > 0)
    {
    }
    ~CCacheWritePass()
    {
        if (m_open)
            m_persist.RollbackWrites();
    }
    CCacheWritePass(const CCacheWritePass&) = delete;
    CCacheWritePass& operator=(const CCacheWritePass&) = delete;

    // Hands one dirty record to the store, at once or with its block. False when the store
    // refused it at once (its failure is kept); a block's fate is known at its write.
    bool Write(Position pos)
    {
        if (!Begin())
            return false;
        if (m_blockSize <= 1)
            return Written(PersistRecord(m_persist, pos->first, pos->second->value), {pos});
        CZuError err = AddToBlock(pos);
        if (err.IsError())
        {
            Failed(err);
            return false;
        }
        if (m_block.size() >= m_blockSize)
            WriteBlock();
        return true;
    }

    void Finish()
    {
        WriteBlock();
        if (!m_open)
            return;
        m_open = false;
        CZuError err = m_persist.CommitWrites();
        if (err.IsError())
        {
            m_written.clear();
            Failed(err.Push(FX_CODE_LOCATION));
        }
    }

    const std::vector<Position>& Written() const { return m_written; }
    const CZuError& FirstError() const { return m_firstError; }

private:
    bool Begin()
    {
        if (!m_useTransaction || m_open || m_beginFailed)
            return !m_beginFailed;
        CZuError err = m_persist.BeginWrites();
        if (err.IsError())
        {
            // Nothing of this pass can be written: the store is busy or broken.
            m_beginFailed = true;
            Failed(err.Push(FX_CODE_LOCATION));
            return false;
        }
        m_open = true;
        return true;
    }

    CZuError AddToBlock(Position pos)
    {
        try
        {
            m_positions.reserve(m_positions.size() + 1);
            m_block.emplace_back(pos->first, pos->second->value);
            m_positions.push_back(pos);
        }
        catch (...)
        {
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        }
        return CZuError::Success();
    }

    void WriteBlock()
    {
        if (m_block.empty())
            return;
        std::vector<Position> positions;
        positions.swap(m_positions);
        CZuError err = m_persist.Update(m_block);
        if (err.IsError())
            err = CErrorContext::Wrap(err, FX_CODE_LOCATION,
                                      FXString::Format("Failed to write a block of [%zu] records from [%s]",
                                                       m_block.size(),
                                                       DescribeKey(std::get<0>(m_block.front())).c_str()));
        m_block.clear();
        Written(err, positions);
    }

    bool Written(const CZuError& err, const std::vector<Position>& positions)
    {
        if (!err.IsError())
        {
            m_written.insert(m_written.end(), positions.begin(), positions.end());
            return true;
        }
        Failed(err);
        // The store undid the transaction: what it held is not written. The rest of the pass
        // goes on in a new one.
        if (m_open && m_persist.WritesLost())
        {
            m_persist.RollbackWrites();
            m_open = false;
            m_written.clear();
        }
        return false;
    }

    void Failed(const CZuError& err)
    {
        if (!m_firstError.IsError())
            m_firstError = err;
    }

    Persist& m_persist;
    const unsigned int m_blockSize;
    const bool m_useTransaction;
    bool m_open = false;
    bool m_beginFailed = false;
    // The block on its way to one batch write, with where its records sit in the map, so that
    // they count as written only after the batch succeeded.
    std::vector<std::tuple<Key, Value>> m_block;
    std::vector<Position> m_positions;
    std::vector<Position> m_written;
    CZuError m_firstError;
};
} // namespace FILEEXTENT_RESTORE
