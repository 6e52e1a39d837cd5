#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "events/Lib_time.h"
#include "events/List.h"
#include "events/String_token.h"
#include "support/Test_env.h"

namespace {

// Counts destructions so that ownership shows.
struct Tracked {
    static int destroyed;
    ~Tracked() { destroyed++; }
};
int Tracked::destroyed = 0;

TEST(List, IterationAndIndexing)
{
    Tlist list;
    int items[3] = {10, 20, 30};
    for (int& item : items) list.append(&item);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.item_at(-4), &items[0]);
    EXPECT_EQ(list.item_at(2), &items[2]);
    EXPECT_EQ(list.item_at(3), nullptr);

    std::vector<int> seen;
    bool end = false;
    list.rewind(1);
    for (void* item = list.next(&end); !end; item = list.next(&end)) seen.push_back(*static_cast<int*>(item));
    EXPECT_EQ(seen, (std::vector<int>{20, 30}));
    list.rewind(7);
    EXPECT_EQ(list.next(&end), nullptr);
    EXPECT_TRUE(end);
}

TEST(List, ChangeDuringIterationEndsIt)
{
    Tlist list;
    int a = 1, b = 2;
    list.append(&a);
    list.append(&b);
    bool end = false;
    list.rewind(0);
    EXPECT_EQ(list.next(&end), &a);
    list.append(&a);
    EXPECT_EQ(list.next(&end), nullptr);
    EXPECT_TRUE(end);
    list.rewind(0);
    EXPECT_EQ(list.next(&end), &a);
    EXPECT_FALSE(end);
}

TEST(List, TypedListDeletesOnlyWhenAsked)
{
    Tracked::destroyed = 0;
    Tracked kept;
    {
        Ttyped_list<Tracked> list;
        list.append(new Tracked);
        list.append(nullptr);
        list.append(new Tracked);
        EXPECT_EQ(list.at(1), nullptr);
        list.clear(true);
        EXPECT_EQ(Tracked::destroyed, 2);
        EXPECT_EQ(list.count(), 0);
        list.append(&kept);
    }
    EXPECT_EQ(Tracked::destroyed, 2);
}

TEST(Tokenizer, MaximalRunsWithoutEmptyTokens)
{
    Tstring_tokenizer tokens;
    tokens.tokenize("  a  b ", " ");
    ASSERT_EQ(tokens.count(), 2);
    EXPECT_STREQ(tokens.token(0)->c_str(), "a");
    EXPECT_STREQ(tokens.token(1)->c_str(), "b");
    EXPECT_STREQ(tokens.token(5)->c_str(), "");

    tokens.tokenize("KEY=value;x\r", "=;\r");
    ASSERT_EQ(tokens.count(), 3);
    EXPECT_STREQ(tokens.token(2)->c_str(), "x");

    tokens.tokenize("abc", "");
    EXPECT_EQ(tokens.count(), 1);
    tokens.tokenize(nullptr, " ");
    EXPECT_EQ(tokens.count(), 0);
    tokens.tokenize(";;;", ";");
    EXPECT_EQ(tokens.count(), 0);
}

struct Time_case {
    Tsystem_time time;
    int expected;
};

Tsystem_time at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    Tsystem_time t;
    t.wYear = uint16_t(year);
    t.wMonth = uint16_t(month);
    t.wDay = uint16_t(day);
    t.wHour = uint16_t(hour);
    t.wMinute = uint16_t(minute);
    t.wSecond = uint16_t(second);
    return t;
}

TEST(Time, UnixTimeOf)
{
    const Time_case cases[] = {
        {at(1970, 1, 1), 0},
        {at(2000, 3, 1), 951868800},
        {at(2000, 2, 29, 12), 951825600},
        {at(1900, 3, 1), 0 + 59 * 86400},
        {at(2024, 12, 31, 23, 59, 59), 1735689599},
        {at(2038, 1, 19, 3, 14, 8), int(0x80000000u)},
        {at(2100, 3, 1), int(uint32_t(4107542400u))},
        {at(2020, 13, 1), 1577836800},
    };
    for (const Time_case& c : cases) EXPECT_EQ(unix_time_of(&c.time), c.expected) << c.time.wYear;
    EXPECT_EQ(unix_time_of(nullptr), 0);
}

TEST(Time, NowFollowsTheSystemClock)
{
    Tsystem_time now;
    get_system_time(&now);
    long long expected = (long long)time(nullptr);
    EXPECT_NEAR(double(unix_time_now()), double(expected), 2);
    EXPECT_GE(now.wYear, 2024);
}

// The zone is set for the test: 1 hour east of UTC, summer time in July.
class Zoned_time : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = getenv("TZ");
        had_tz = old != nullptr;
        if (had_tz) old_tz = old;
        set_test_env("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        tzset();
    }
    void TearDown() override
    {
        set_test_env("TZ", had_tz ? old_tz.c_str() : nullptr);
        tzset();
    }
    bool had_tz = false;
    std::string old_tz;
};

TEST_F(Zoned_time, BreakDownByMode)
{
    const int july = 1720000000;  // 2024-07-03 09:46:40 UTC, a Wednesday
    Tbroken_time t;
    break_down_time(&t, july, 0);
    EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second, t.weekday}),
              std::vector<int>({2024, 7, 3, 9, 46, 40, 3}));
    break_down_time(&t, july, 1);
    EXPECT_EQ(t.hour, 10);
    break_down_time(&t, july, 2);
    EXPECT_EQ(t.hour, 11);

    int fields[6];
    date_time_fields(fields, july, false);
    EXPECT_EQ(std::vector<int>(fields, fields + 6), std::vector<int>({2024, 7, 3, 11, 46, 40}));
    date_time_fields(fields, july, true);
    EXPECT_EQ(fields[3], 10);
}

TEST_F(Zoned_time, StandardTimeClampsBelowZero)
{
    set_test_env("TZ", "XXX-5");  // 5 hours east
    tzset();
    Tbroken_time t;
    break_down_time(&t, 3600, 1);
    EXPECT_EQ(t.year, 1970);
    EXPECT_EQ(t.hour, 6);
    set_test_env("TZ", "YYY5");  // 5 hours west: before 1970 in local time
    tzset();
    break_down_time(&t, 3600, 1);
    EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour}), std::vector<int>({1970, 1, 1, 0}));
}

TEST(Time, LeapYears)
{
    EXPECT_TRUE(is_leap_year(2000));
    EXPECT_TRUE(is_leap_year(2024));
    EXPECT_FALSE(is_leap_year(1900));
    EXPECT_FALSE(is_leap_year(2023));
}

} // namespace
