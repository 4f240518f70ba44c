#include "network/FSRFileExtentRestoredItem.h"
#include "network/FileExtentRestoreNWHandler.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "support/RecordingLogWriter.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

using namespace FILEEXTENT_RESTORE;

namespace
{
const unsigned long FieldTag = 0x775BCECF;

// Stands in for the host's transport: records what each callback was handed and answers with
// a chosen result.
struct RecordingCollector
{
    struct XdrCall
    {
        unsigned long messageNumber;
        ktsDatabuf descriptor;
        CNMessageBase message{0, 0};
        bool decoded = false;
    };

    int xdrResult = 1;
    int xmlResult = 1;
    std::vector<XdrCall> xdrCalls;
    std::vector<CNMessageBase> xmlCalls;

    FN_SendXDRMsgToFIR Xdr()
    {
        return [this](unsigned long messageNumber, ktsDatabuf* descriptor) {
            XdrCall call{messageNumber, *descriptor};
            // Read the XML back the way the collector would: through the record the descriptor points to.
            const auto* record = reinterpret_cast<const FSRFileExtentRestoredItem*>(descriptor->address);
            call.decoded = record->pszFileExtentRestoredItem != nullptr &&
                           call.message.deserialize(record->pszFileExtentRestoredItem);
            xdrCalls.push_back(call);
            return xdrResult;
        };
    }

    FN_SendXMLMsgToFIR Xml()
    {
        return [this](CNMessageBase& message) {
            xmlCalls.push_back(message);
            return xmlResult;
        };
    }
};

struct ExpectedField
{
    short first;
    short second;
    CNMessageField::Kind kind;
    unsigned int id;
};

CRestoringItemAndVersion Key(const std::string& path = "/data/file.bin", std::uint32_t version = 7)
{
    return CRestoringItemAndVersion(path, version);
}

// Members set in reverse of their declared order, to show the message follows its own order.
CRestoredItem FullRecord()
{
    CRestoredItem item;
    item.TaskId = -12;
    item.Metadata = "attributes";
    boost::dynamic_bitset<unsigned char> bitmap(4);
    bitmap.set(0);
    item.ExtentBitmap = bitmap;
    item.NumOfExtents = 4;
    item.PostProcessAction = "action";
    item.ContainerItemRestored = true;
    item.Status = FAILED;
    item.ErrorCode = 4294967295u;
    item.RestoredFilePath = "/restored/file.bin";
    item.RestoredItemVersion = 7;
    item.FilePath = "/data/file.bin";
    return item;
}

std::vector<std::tuple<CRestoringItemAndVersion, CRestoredItem>> Batch(const std::vector<std::string>& paths)
{
    std::vector<std::tuple<CRestoringItemAndVersion, CRestoredItem>> items;
    for (const std::string& path : paths)
        items.emplace_back(Key(path, 1), CRestoredItem());
    return items;
}

void ExpectNetworkUnreachable(const CZuError& err)
{
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, ERROR_NETWORK_UNREACHABLE));
    EXPECT_EQ("Failed to send FSRFileExtentRestoredItem Msg to FIR", err.GetMessage());
    ASSERT_FALSE(err.GetLocations().empty());
    EXPECT_EQ("FileExtentRestoreNWHandler.cpp", err.GetLocations().front().GetFile());
}
} // namespace

class FileExtentRestoreNWHandlerTest : public ::testing::Test
{
protected:
    RecordingCollector collector;
    CFileExtentRestoreNWHandler handler{collector.Xdr(), collector.Xml()};

    // Sends one record and returns the message the collector decoded from the XDR text.
    CNMessageBase SendOne(const CRestoringItemAndVersion& key, const CRestoredItem& item)
    {
        EXPECT_FALSE(handler.AddorUpdate(key, item).IsError());
        EXPECT_EQ(1u, collector.xdrCalls.size());
        if (collector.xdrCalls.empty())
            return CNMessageBase(0, 0);
        EXPECT_TRUE(collector.xdrCalls.back().decoded);
        return collector.xdrCalls.back().message;
    }
};

TEST_F(FileExtentRestoreNWHandlerTest, KeyOnlyRecordSendsExactlyPathAndVersion)
{
    const CNMessageBase message = SendOne(Key("/only/key", 4294967295u), CRestoredItem());

    EXPECT_EQ(119, message.GetGroup());
    EXPECT_EQ(59, message.GetType());
    ASSERT_EQ(2u, message.GetFields().size());
    const CNMessageField& path = message.GetFields()[0];
    EXPECT_EQ(1, path.first);
    EXPECT_EQ(1, path.second);
    EXPECT_EQ(CNMessageField::String, path.kind);
    EXPECT_EQ("/only/key", path.text);
    EXPECT_EQ(0x0026AFC1u, path.id);
    const CNMessageField& version = message.GetFields()[1];
    EXPECT_EQ(11, version.first);
    EXPECT_EQ(23, version.second);
    EXPECT_EQ(CNMessageField::Int64, version.kind);
    EXPECT_EQ(4294967295LL, version.number); // widened without sign
    EXPECT_EQ(0x005D8A46u, version.id);
}

TEST_F(FileExtentRestoreNWHandlerTest, FullRecordSendsElevenFieldsInTheCollectorsOrder)
{
    const CNMessageBase message = SendOne(Key(), FullRecord());

    const std::vector<ExpectedField> expected = {
        {1, 1, CNMessageField::String, 0x0026AFC1},   {11, 23, CNMessageField::Int64, 0x005D8A46},
        {2, 5, CNMessageField::String, 0x001A9D77},   {3, 9, CNMessageField::Int64, 0x009CB015},
        {4, 10, CNMessageField::Int64, 0x00CDCFF2},   {5, 11, CNMessageField::Int64, 0x002582EA},
        {6, 12, CNMessageField::String, 0x006654C5},  {10, 22, CNMessageField::Int64, 0x007EF180},
        {7, 16, CNMessageField::Int64, 0x005BCBCC},   {8, 17, CNMessageField::BString, 0x004314F9},
        {9, 18, CNMessageField::String, 0x002D7B2F},
    };
    const std::vector<CNMessageField>& fields = message.GetFields();
    ASSERT_EQ(expected.size(), fields.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        SCOPED_TRACE("field " + std::to_string(i + 1));
        EXPECT_EQ(expected[i].first, fields[i].first);
        EXPECT_EQ(expected[i].second, fields[i].second);
        EXPECT_EQ(expected[i].kind, fields[i].kind);
        EXPECT_EQ(expected[i].id, fields[i].id);
        EXPECT_EQ(FieldTag, fields[i].tag);
    }
    EXPECT_EQ("/data/file.bin", fields[0].text);
    EXPECT_EQ(7, fields[1].number);
    EXPECT_EQ("/restored/file.bin", fields[2].text);
    EXPECT_EQ(4294967295LL, fields[3].number); // not -1
    EXPECT_EQ(1, fields[4].number);            // FAILED
    EXPECT_EQ(1, fields[5].number);            // restored: true
    EXPECT_EQ("action", fields[6].text);
    EXPECT_EQ(-12, fields[7].number);          // stays negative
    EXPECT_EQ(4, fields[8].number);
    EXPECT_EQ("0001", fields[9].text);         // highest bit first, bit 0 last
    EXPECT_EQ("attributes", fields[10].text);
}

TEST_F(FileExtentRestoreNWHandlerTest, ContainerItemNotRestoredTravelsAsZero)
{
    CRestoredItem item;
    item.ContainerItemRestored = false;
    const CNMessageBase message = SendOne(Key(), item);
    ASSERT_EQ(3u, message.GetFields().size());
    EXPECT_EQ(5, message.GetFields()[2].first);
    EXPECT_EQ(0, message.GetFields()[2].number);
}

TEST_F(FileExtentRestoreNWHandlerTest, XdrDescriptorPointsAtTheRecord)
{
    SendOne(Key(), FullRecord());
    const RecordingCollector::XdrCall& call = collector.xdrCalls.front();
    EXPECT_EQ(0x180000A1ul, call.messageNumber);
    EXPECT_EQ(0u, call.descriptor.reserved1);
    EXPECT_EQ(8u, call.descriptor.size);
    EXPECT_EQ(0u, call.descriptor.reserved2);
    EXPECT_NE(0u, call.descriptor.address);
    EXPECT_TRUE(collector.xmlCalls.empty());
}

TEST_F(FileExtentRestoreNWHandlerTest, XdrSendResultDecidesTheOutcome)
{
    collector.xdrResult = 0;
    ExpectNetworkUnreachable(handler.AddorUpdate(Key(), FullRecord()));

    collector.xdrResult = -1; // any non-zero value means handed over
    EXPECT_FALSE(handler.AddorUpdate(Key(), FullRecord()).IsError());
    EXPECT_EQ(2u, collector.xdrCalls.size());
    // Each text copy is freed whatever the outcome; the leak checker of the sanitizer run sees to it.
}

TEST_F(FileExtentRestoreNWHandlerTest, MissingOrThrowingCallbackIsAFailedSendNotACrash)
{
    CFileExtentRestoreNWHandler missing{FN_SendXDRMsgToFIR(), FN_SendXMLMsgToFIR()};
    ExpectNetworkUnreachable(missing.AddorUpdate(Key(), FullRecord()));
    ExpectNetworkUnreachable(missing.AddorUpdate(Batch({"a"})));

    auto thrower = [](auto&&...) -> int { throw std::runtime_error("transport down"); };
    CFileExtentRestoreNWHandler throwing{thrower, thrower};
    ExpectNetworkUnreachable(throwing.AddorUpdate(Key(), FullRecord()));
    ExpectNetworkUnreachable(throwing.AddorUpdate(Batch({"a"})));
}

TEST_F(FileExtentRestoreNWHandlerTest, BatchSendsOneListInVectorOrder)
{
    ScopedRecordingLog log(3);
    ASSERT_FALSE(handler.AddorUpdate(Batch({"/c", "/a", "/b"})).IsError());

    EXPECT_TRUE(collector.xdrCalls.empty());
    ASSERT_EQ(1u, collector.xmlCalls.size());
    const CNMessageBase& list = collector.xmlCalls.front();
    EXPECT_EQ(119, list.GetGroup());
    EXPECT_EQ(74, list.GetType());
    ASSERT_EQ(1u, list.GetFields().size());
    const CNMessageField& field = list.GetFields().front();
    EXPECT_EQ(1, field.first);
    EXPECT_EQ(1, field.second);
    EXPECT_EQ(CNMessageField::List, field.kind);
    EXPECT_EQ(0x774DF40Dul, field.tag);
    EXPECT_EQ(0x00F958CFu, field.id);
    ASSERT_EQ(3u, field.list.size());
    const char* paths[] = {"/c", "/a", "/b"};
    for (std::size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(119, field.list[i].GetGroup());
        EXPECT_EQ(59, field.list[i].GetType());
        ASSERT_EQ(2u, field.list[i].GetFields().size());
        EXPECT_EQ(paths[i], field.list[i].GetFields()[0].text);
    }
    EXPECT_EQ(std::vector<std::string>{"Sending [3] XML Messages in batch"}, log->TextsAt(3));
}

TEST_F(FileExtentRestoreNWHandlerTest, BatchLineOnlyWhenTheLevelAllowsIt)
{
    ScopedRecordingLog log(2);
    ASSERT_FALSE(handler.AddorUpdate(Batch({"/a"})).IsError());
    EXPECT_TRUE(log->Lines().empty());
}

TEST_F(FileExtentRestoreNWHandlerTest, EmptyBatchStillSendsAnEmptyList)
{
    ASSERT_FALSE(handler.AddorUpdate(Batch({})).IsError());
    ASSERT_EQ(1u, collector.xmlCalls.size());
    ASSERT_EQ(1u, collector.xmlCalls.front().GetFields().size());
    EXPECT_TRUE(collector.xmlCalls.front().GetFields().front().list.empty());
}

TEST_F(FileExtentRestoreNWHandlerTest, RefusedBatchIsNetworkUnreachable)
{
    collector.xmlResult = 0;
    ExpectNetworkUnreachable(handler.AddorUpdate(Batch({"/a", "/b"})));
}

TEST_F(FileExtentRestoreNWHandlerTest, GetAndDeleteAreNotSupported)
{
    CRestoredItem item = FullRecord();
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.Get(Key(), item), ERROR_NOT_SUPPORTED));
    EXPECT_EQ("attributes", *item.Metadata); // untouched
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.Delete(Key()), ERROR_NOT_SUPPORTED));
    EXPECT_TRUE(collector.xdrCalls.empty());
    EXPECT_TRUE(collector.xmlCalls.empty());
}
