#include "fuzz/FuzzCheck.h"
#include "recall/RecallRequestStats.h"

using FILEEXTENTRECALLDB::CRecallRequestStats;

// Any stored statistics text reads without fault into statistics that write back, directly as the
// object path writes them byte for byte, as a text reading to the same statistics.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CRecallRequestStats read;
    FuzzCheck::Require(!CRecallRequestStats::DeserializeFromString(FuzzCheck::Bytes(data, size), read).IsError(),
                       "reading statistics failed");
    std::string written, throughObject;
    FuzzCheck::Require(!CRecallRequestStats::SerializeToString(read, written).IsError(),
                       "statistics read could not be written");
    FuzzCheck::Require(!CRecallRequestStats::SerializeThroughObject(read, throughObject).IsError(),
                       "statistics read could not be written through the object");
    FuzzCheck::Require(written == throughObject, "the direct text differs from the object path's");
    CRecallRequestStats again;
    CRecallRequestStats::DeserializeFromString(written, again);
    FuzzCheck::Require(read == again, "the statistics read back differently");
    return 0;
}
