#include "fuzz/FuzzCheck.h"
#include "recall/RecallRequestStats.h"

using FILEEXTENTRECALLDB::CRecallRequestStats;

// Any stored statistics text reads without fault into statistics that write back as a text
// reading to the same statistics.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CRecallRequestStats read;
    FuzzCheck::Require(!CRecallRequestStats::DeserializeFromString(FuzzCheck::Bytes(data, size), read).IsError(),
                       "reading statistics failed");
    std::string written;
    FuzzCheck::Require(!CRecallRequestStats::SerializeToString(read, written).IsError(),
                       "statistics read could not be written");
    CRecallRequestStats again;
    CRecallRequestStats::DeserializeFromString(written, again);
    FuzzCheck::Require(read == again, "the statistics read back differently");
    return 0;
}
