// The About dialog's hidden switch: four clicks, each within 5 seconds of the one before.
#include <gtest/gtest.h>

#include <vector>

#include "ui/click_counter.h"

namespace korvane {
namespace {

struct ClickCase {
    const char* name;
    std::vector<qint64> clicks;     // times in ms
    std::vector<bool> toggles;      // expected answer per click
};

class ClickTable : public ::testing::TestWithParam<ClickCase> {};

TEST_P(ClickTable, Toggles)
{
    KeyClickCounter counter;
    const ClickCase& c = GetParam();
    for (size_t i = 0; i < c.clicks.size(); ++i)
        EXPECT_EQ(counter.Click(c.clicks[i]), c.toggles[i]) << "click " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, ClickTable,
    ::testing::Values(
        ClickCase{"four_quick", {0, 100, 200, 300}, {false, false, false, true}},
        ClickCase{"eight_quick_toggle_twice", {0, 1, 2, 3, 4, 5, 6, 7}, {false, false, false, true, false, false, false, true}},
        ClickCase{"pause_of_six_seconds_starts_over", {0, 100, 200, 6200}, {false, false, false, false}},
        ClickCase{"after_pause_four_more", {0, 100, 200, 6200, 6300, 6400, 6500}, {false, false, false, false, false, false, true}},
        ClickCase{"each_just_under_five_seconds", {0, 4999, 9998, 14997}, {false, false, false, true}},
        ClickCase{"exactly_five_seconds_is_too_late", {0, 100, 200, 5200}, {false, false, false, false}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyClickCounter, TimerResetsTheCount)
{
    KeyClickCounter counter;
    counter.Click(0);
    counter.Click(1);
    counter.Click(2);
    EXPECT_EQ(counter.clickCount(), 3);
    counter.Reset();
    EXPECT_FALSE(counter.Click(3));
    EXPECT_EQ(counter.clickCount(), 1);
}

} // namespace
} // namespace korvane
