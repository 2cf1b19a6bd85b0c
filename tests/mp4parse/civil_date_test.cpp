// Calendar dates against days since 1970, both ways, across the edges that hand-written
// arithmetic gets wrong: before 1970, leap days, century years, and a day past a month's end.
#include <gtest/gtest.h>

#include "mp4parse/civil_date.h"

using namespace korvane;

TEST(CivilDate, DaysAndDatesAgreeBothWays) {
  struct Case {
    int year, month, day;
    std::int64_t days;
  };
  for (const Case& c : {Case{1970, 1, 1, 0}, Case{1969, 12, 31, -1}, Case{2000, 2, 29, 11016},
                        Case{2000, 3, 1, 11017}, Case{1900, 3, 1, -25508}, Case{2023, 1, 1, 19358},
                        Case{2024, 2, 29, 19782}, Case{2099, 12, 31, 47481}, Case{1601, 1, 1, -134774}}) {
    SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day);
    EXPECT_EQ(DaysFromCivil(c.year, c.month, c.day), c.days);
    const CivilDate back = CivilFromDays(c.days);
    EXPECT_EQ(back.year, c.year);
    EXPECT_EQ(back.month, c.month);
    EXPECT_EQ(back.day, c.day);
  }
  // A day past the month's end runs on, as a clock that reads "02/31" means three days later.
  EXPECT_EQ(DaysFromCivil(2023, 2, 31), DaysFromCivil(2023, 3, 3));
}

TEST(CivilDate, SecondsBeforeMidnightBelongToTheDayBefore) {
  EXPECT_EQ(DayOfSeconds(0), 0);
  EXPECT_EQ(DayOfSeconds(86399), 0);
  EXPECT_EQ(DayOfSeconds(86400), 1);
  EXPECT_EQ(DayOfSeconds(-1), -1);
  EXPECT_EQ(DayOfSeconds(-86400), -1);
  EXPECT_EQ(DayOfSeconds(-86401), -2);
}
