#include "Support/Json.h"

#include <gtest/gtest.h>

using namespace quorvel;

TEST(JsonParser, RejectsWhatIsNotStrictJson) {
    JsonParser parser;
    for (const std::string& text :
         {std::string("{\"a\":1} x"), std::string("{\"a\":"), std::string("{\"a\":\"\xFF\"}"),
          std::string("{'a':1}"), std::string(300, '[') + std::string(300, ']'), std::string("")})
        EXPECT_FALSE(parser.tryParse(text)) << text.substr(0, 20);
    EXPECT_THROW(parser.parse("[1,]"), JsonParseError);
    EXPECT_TRUE(parser.tryParse(std::string(200, '[') + std::string(200, ']')));
    EXPECT_FALSE(parser.tryParseObject("[1]"));
    EXPECT_TRUE(parser.tryParseObject(" {\"a\":[1]} "));
}

TEST(JsonValue, TypedAccessorsAndDecoderRules) {
    JsonParser parser;
    auto object = *parser.tryParseObject(R"({"s":"x","n":3,"d":2.5,"b":true,"z":null,"o":{}})");
    EXPECT_EQ(JsonValue::string(object, "s"), "x");
    EXPECT_FALSE(JsonValue::string(object, "n"));
    EXPECT_EQ(JsonValue::number(object, "n"), 3.0);
    EXPECT_EQ(JsonValue::number(object, "d"), 2.5);
    EXPECT_EQ(JsonValue::boolean(object, "b"), true);
    EXPECT_TRUE(JsonValue::isNull(object, "z"));
    EXPECT_FALSE(JsonValue::optionalString(object, "z"));
    EXPECT_FALSE(JsonValue::optionalString(object, "missing"));
    EXPECT_THROW(JsonValue::optionalString(object, "n"), JsonDecodeError);
    EXPECT_THROW(JsonValue::requiredString(object, "missing"), JsonDecodeError);
    EXPECT_THROW(JsonValue::requiredBoolean(object, "s"), JsonDecodeError);
}

TEST(JsonText, WritesCompactAndSortedPrettyTextWithShortestNumbers) {
    const nlohmann::json value = {{"b", 0.1}, {"a", 1}, {"c", 725846400.123}};
    EXPECT_EQ(JsonText::compact(value), R"({"a":1,"b":0.1,"c":725846400.123})");
    EXPECT_EQ(JsonText::prettySorted(value), "{\n  \"a\": 1,\n  \"b\": 0.1,\n  \"c\": 725846400.123\n}");
}

TEST(JsonText, EditableParseKeepsKeyOrderAndExactIntegers) {
    const auto value = JsonText::parseEditable(R"({"z":9007199254740993,"a":[1.5,-2],"m":{"k":"v"}})");
    EXPECT_EQ(JsonText::compact(nlohmann::json(value)).size() > 0, true);
    EXPECT_EQ(value.dump(), R"({"z":9007199254740993,"a":[1.5,-2],"m":{"k":"v"}})");
    EXPECT_THROW(JsonText::parseEditable("{\"a\":1}}"), JsonParseError);
}

TEST(JsonText, SortedEditableParseKeepsExactIntegersAndIsStrict) {
    const auto value =
        JsonText::parseEditableSorted(R"({"z":9007199254740993,"a":[1.5,-2],"u":18446744073709551615})");
    EXPECT_EQ(value.dump(), R"({"a":[1.5,-2],"u":18446744073709551615,"z":9007199254740993})");
    EXPECT_THROW(JsonText::parseEditableSorted("{\"a\":1}}"), JsonParseError);
    EXPECT_THROW(JsonText::parseEditableSorted("{\"a\":\"\xff\"}"), JsonParseError);
}
