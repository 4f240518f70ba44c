#include "platform/KtJsonLib/KtJsonLib.h"

#include <gtest/gtest.h>

namespace
{
TEST(KtJsonLibTest, ObjectRoundTripsThroughText)
{
    json_spirit::mObject object;
    object["Name"] = "a \"quoted\" \\ path\n";
    object["Big"] = static_cast<std::uint64_t>(18446744073709551615ULL);
    std::string text;
    ASSERT_TRUE(KtJson::Serialize(object, text));

    json_spirit::mObject back;
    ASSERT_TRUE(KtJson::Unserialize(text, back));
    EXPECT_EQ(object, back);
}

TEST(KtJsonLibTest, TextIsOneCompactObject)
{
    json_spirit::mObject object;
    std::string text = "stale";
    ASSERT_TRUE(KtJson::Serialize(object, text));
    EXPECT_EQ("{}", text);

    object["b"] = json_spirit::mValue::object({{"inner", json_spirit::mValue::array({1, "x"})}});
    object["a"] = -1.5;
    object["c"] = "t\"ext";
    ASSERT_TRUE(KtJson::Serialize(object, text));
    EXPECT_EQ("{\"a\":-1.5,\"b\":{\"inner\":[1,\"x\"]},\"c\":\"t\\\"ext\"}", text);
}

TEST(KtJsonLibTest, TextThatIsNotAnObjectGivesAnEmptyObject)
{
    for (const char* text : {"", "{", "{\"a\":", "[1,2]", "42", "\"s\"", "null", "{\"a\":1} trailing"})
    {
        json_spirit::mObject out;
        out["stale"] = 1;
        EXPECT_FALSE(KtJson::Unserialize(text, out)) << text;
        EXPECT_TRUE(out.empty()) << text;
    }
}

TEST(KtJsonLibTest, InvalidUtf8DoesNotThrow)
{
    json_spirit::mObject object;
    object["Bad"] = std::string("\xff\xfe", 2);
    std::string text;
    EXPECT_NO_THROW(KtJson::Serialize(object, text));
    json_spirit::mObject back;
    EXPECT_TRUE(KtJson::Unserialize(text, back));
    EXPECT_EQ(1u, back.count("Bad"));
}
} // namespace
