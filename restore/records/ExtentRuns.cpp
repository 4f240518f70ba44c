#include "restore/records/ExtentRuns.h"

#include <climits>
#include <iterator>

namespace FILEEXTENT_RESTORE
{
namespace
{
typedef boost::dynamic_bitset<unsigned char> Bitmap;
const ULONGLONG kBlockBits = sizeof(Bitmap::block_type) * CHAR_BIT;

// Takes the bitmap's blocks as they are copied out, without a buffer: a run is reported once
// its end is known, and a block that is all set or all clear costs one comparison.
class CMissingRunScanner
{
public:
    CMissingRunScanner(ULONGLONG size, const CExtentRuns::RunFn& fn) : m_size(size), m_fn(fn) {}

    void Take(Bitmap::block_type block)
    {
        if (m_error.IsError())
            return;
        const ULONGLONG base = m_blocks++ * kBlockBits;
        if (block == 0)
            return Open(base);
        if (block == static_cast<Bitmap::block_type>(~Bitmap::block_type(0)))
            return Close(base);
        for (ULONGLONG bit = 0; bit < kBlockBits && !m_error.IsError(); ++bit)
        {
            if (block & (Bitmap::block_type(1) << bit))
                Close(base + bit);
            else
                Open(base + bit);
        }
    }

    CZuError Finish()
    {
        // Bits past the bitmap's size are clear in its last block: the run ends at the size.
        if (m_open && !m_error.IsError())
            Report(m_start, m_size);
        return m_error;
    }

private:
    void Open(ULONGLONG at)
    {
        if (!m_open)
        {
            m_open = true;
            m_start = at;
        }
    }
    void Close(ULONGLONG at)
    {
        if (m_open)
        {
            m_open = false;
            Report(m_start, at);
        }
    }
    void Report(ULONGLONG start, ULONGLONG end)
    {
        if (end > m_size)
            end = m_size;
        if (start < end)
            m_error = m_fn(start, end - start);
    }

    const ULONGLONG m_size;
    const CExtentRuns::RunFn& m_fn;
    ULONGLONG m_blocks = 0;
    ULONGLONG m_start = 0;
    bool m_open = false;
    CZuError m_error;
};

// An output iterator that hands every block to the scanner.
class CBlockSink
{
public:
    typedef std::output_iterator_tag iterator_category;
    typedef void value_type;
    typedef void difference_type;
    typedef void pointer;
    typedef void reference;

    explicit CBlockSink(CMissingRunScanner& scanner) : m_scanner(&scanner) {}
    CBlockSink& operator*() { return *this; }
    CBlockSink& operator++() { return *this; }
    CBlockSink operator++(int) { return *this; }
    CBlockSink& operator=(Bitmap::block_type block)
    {
        m_scanner->Take(block);
        return *this;
    }

private:
    CMissingRunScanner* m_scanner;
};
} // namespace

CZuError CExtentRuns::ForEachMissing(const Bitmap& bitmap, const RunFn& fn)
{
    CMissingRunScanner scanner(bitmap.size(), fn);
    boost::to_block_range(bitmap, CBlockSink(scanner));
    return scanner.Finish();
}
} // namespace FILEEXTENT_RESTORE
