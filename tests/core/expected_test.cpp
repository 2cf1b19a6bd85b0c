// The result type: a value or a typed error, with and without a value type.
#include <gtest/gtest.h>

#include <string>

#include "core/expected.h"

using namespace korvane;

namespace {
enum class ParseError { Empty, NotANumber };

Expected<int, ParseError> ParseDigits(const std::string& text)
{
    if (text.empty())
        return Unexpected(ParseError::Empty);
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return Unexpected(ParseError::NotANumber);
        v = v * 10 + (c - '0');
    }
    return v;
}

Expected<void, std::string> Check(bool ok)
{
    if (!ok)
        return Unexpected(std::string("refused"));
    return {};
}
} // namespace

TEST(Expected, CarriesAValueOrTheErrorThatReplacedIt)
{
    const auto good = ParseDigits("1203");
    ASSERT_TRUE(good.has_value());
    EXPECT_EQ(*good, 1203);
    EXPECT_EQ(good.value_or(-1), 1203);
    for (const auto& [text, error] : {std::pair{std::string(), ParseError::Empty},
                                      std::pair{std::string("12a"), ParseError::NotANumber}}) {
        const auto bad = ParseDigits(text);
        ASSERT_FALSE(bad);
        EXPECT_EQ(bad.error(), error);
        EXPECT_EQ(bad.value_or(-1), -1);
    }
}

TEST(Expected, WithoutAValueOnlyTheErrorIsCarried)
{
    EXPECT_TRUE(Check(true).has_value());
    const auto refused = Check(false);
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error(), "refused");
}
