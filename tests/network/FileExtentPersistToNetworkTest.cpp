#include "cache/FileExtentPersist.h"
#include "network/FileExtentRestoreNWHandler.h"
#include "platform/ZuUtils/FXErrorUtil.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <string>
#include <tuple>
#include <vector>

using namespace FILEEXTENT_RESTORE;

namespace
{
// The adapter's failures carry the reporter's location first and the adapter's own last.
void ExpectPushedByAdapter(const CZuError& err, unsigned int code)
{
    EXPECT_TRUE(FXErrorUtil::IsWin32(err, code));
    ASSERT_EQ(2u, err.GetLocations().size());
    EXPECT_EQ("FileExtentRestoreNWHandler.cpp", err.GetLocations().front().GetFile());
    EXPECT_EQ("FileExtentPersist.cpp", err.GetLocations().back().GetFile());
}
} // namespace

class FileExtentPersistToNetworkTest : public ::testing::Test
{
protected:
    int xdrResult = 1;
    int xmlResult = 1;
    int xdrCalls = 0;
    std::vector<std::size_t> listSizes;

    boost::shared_ptr<IFileExtentPersist<CRestoringItemAndVersion, CRestoredItem>> persist =
        boost::make_shared<CFileExtentPersistToNetwork>(boost::make_shared<CFileExtentRestoreNWHandler>(
            [this](unsigned long, ktsDatabuf*) {
                ++xdrCalls;
                return xdrResult;
            },
            [this](CNMessageBase& list) {
                listSizes.push_back(list.GetFields().at(0).list.size());
                return xmlResult;
            }));

    const CRestoringItemAndVersion key{"/data/a", 3};
};

TEST_F(FileExtentPersistToNetworkTest, SingleUpdateSendsOneXdrMessage)
{
    EXPECT_FALSE(persist->Update(key, CRestoredItem()).IsError());
    EXPECT_EQ(1, xdrCalls);
    EXPECT_TRUE(listSizes.empty());

    xdrResult = 0;
    ExpectPushedByAdapter(persist->Update(key, CRestoredItem()), ERROR_NETWORK_UNREACHABLE);
}

TEST_F(FileExtentPersistToNetworkTest, BatchUpdateSendsOneList)
{
    std::vector<std::tuple<CRestoringItemAndVersion, CRestoredItem>> items(2, std::make_tuple(key, CRestoredItem()));
    EXPECT_FALSE(persist->Update(items).IsError());
    EXPECT_EQ(std::vector<std::size_t>{2}, listSizes);
    EXPECT_EQ(0, xdrCalls);

    xmlResult = 0;
    ExpectPushedByAdapter(persist->Update(items), ERROR_NETWORK_UNREACHABLE);
}

TEST_F(FileExtentPersistToNetworkTest, GetAndDeleteAreNotSupported)
{
    CRestoredItem item;
    ExpectPushedByAdapter(persist->Get(key, item), ERROR_NOT_SUPPORTED);
    ExpectPushedByAdapter(persist->Delete(key), ERROR_NOT_SUPPORTED);
}
