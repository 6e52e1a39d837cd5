#include <gtest/gtest.h>

#include <string>

#include "Log_capture.h"
#include "events/My_string.h"

namespace {

std::string text_of(const Tmy_string& s)
{
    return std::string(s.c_str(), s.length());
}

TEST(My_string, NewStringIsEmptyTextWithoutBuffer)
{
    Tmy_string s;
    ASSERT_NE(s.c_str(), nullptr);
    EXPECT_STREQ(s.c_str(), "");
    EXPECT_EQ(s.getCapacity(), 0u);
    EXPECT_EQ(s.at(0), 0);
}

TEST(My_string, GrowsByAtLeast128)
{
    Tmy_string s;
    std::string two_hundred(200, 'x');
    s.append(two_hundred.c_str(), 200);
    EXPECT_EQ(s.getCapacity(), 201u);
    s.append("y", 1);
    EXPECT_EQ(s.getCapacity(), 329u);
    EXPECT_EQ(s.length(), 201u);
    EXPECT_EQ(s.at(200), 'y');
    EXPECT_EQ(s.at(201), 0);
    s.append("z");
    EXPECT_EQ(s.getCapacity(), 329u);
}

TEST(My_string, AppendingItselfIsSafe)
{
    Tmy_string s;
    s.assign("abc");
    for (int i = 0; i < 8; i++) s.append(&s);
    EXPECT_EQ(s.length(), 3u * 256);
    EXPECT_EQ(text_of(s).substr(0, 9), "abcabcabc");
    s.assign(s.c_str() + 3);
    EXPECT_EQ(s.length(), 3u * 255);
}

// Each escaping conversion given the string's own text gives what it gives
// for a copy of that text, also when the result outgrows the buffer.
TEST(My_string, EscapingItsOwnTextIsSafe)
{
    using Tappend = void (*)(Tmy_string*, const char*, unsigned);
    const std::pair<const char*, Tappend> cases[] = {
        {"%a", [](Tmy_string* s, const char* text, unsigned) { s->appendFormat("%a", text); }},
        {"%m", [](Tmy_string* s, const char* text, unsigned) { s->appendFormat("%m", text); }},
        {"%r", [](Tmy_string* s, const char* text, unsigned) { s->appendFormat("%r", text); }},
        {"escaped", [](Tmy_string* s, const char* text, unsigned n) { s->appendEscaped(text, n, 1); }},
        {"unescaped", [](Tmy_string* s, const char* text, unsigned n) { s->appendUnescaped(text, n); }},
    };
    const std::string seed = std::string(100, '"') + "\\41\\42<&'" + std::string(100, '\\');
    for (const auto& [name, append] : cases) {
        SCOPED_TRACE(name);
        Tmy_string expected;
        expected.assign(seed.c_str());
        append(&expected, seed.c_str(), unsigned(seed.size()));

        Tmy_string self;
        self.assign(seed.c_str());
        append(&self, self.c_str(), self.length());
        EXPECT_EQ(text_of(self), text_of(expected));
        EXPECT_GT(self.length(), seed.size());
    }
}

TEST(My_string, NullInputsChangeNothing)
{
    Tmy_string s;
    s.assign("keep");
    s.assign(static_cast<const char*>(nullptr));
    s.append(static_cast<const char*>(nullptr));
    s.append(static_cast<const Tmy_string*>(nullptr));
    s.format(nullptr);
    s.appendFormat(nullptr);
    EXPECT_STREQ(s.c_str(), "keep");
}

TEST(My_string, HoldsZeroBytesAppendedWithALength)
{
    Tmy_string s;
    s.append("a\0b", 3);
    EXPECT_EQ(s.length(), 3u);
    EXPECT_EQ(s.at(1), 0);
    EXPECT_EQ(s.at(2), 'b');
}

TEST(My_string, FormatKeepsTheBuffer)
{
    Tmy_string s;
    s.assign(std::string(300, 'x').c_str());
    unsigned capacity = s.getCapacity();
    s.format("%d", 5);
    EXPECT_STREQ(s.c_str(), "5");
    EXPECT_EQ(s.getCapacity(), capacity);
    s.clear();
    EXPECT_EQ(s.getCapacity(), 0u);
}

struct Format_case {
    std::string expected;
    std::string actual;
};

TEST(My_string, Conversions)
{
    auto formatted = [](auto... args) {
        Tmy_string s;
        s.format(args...);
        return text_of(s);
    };
    Format_case cases[] = {
        {"1.500", formatted("%s%0.3f", "", 1.5)},
        {"07|-3|ff|FF|4294967295", formatted("%02d|%i|%x|%X|%u", 7, -3, 255, 255, 4294967295u)},
        {"2.50|1.000000e+00|0.5", formatted("%0.2f|%e|%g", 2.5, 1.0, 0.5)},
        {"-2147483647|   42|x|", formatted("%ld|%*d|%-3c|", -2147483647L, 5, 42, 'x')},
        {"123456789012", formatted("%lld", 123456789012LL)},
        {"ab|", formatted("%10s|", "ab")},
        {"[]", formatted("[%s%a%m%r%c]", nullptr, nullptr, nullptr, nullptr, 0)},
        {"it\\'s \\\"q\\\" a\\\\b", formatted("%a", "it's \"q\" a\\b")},
        {"&lt;a href=&quot;x&quot;&gt;&amp;&apos;&#9;&#233;", formatted("%m", "<a href=\"x\">&'\t\xE9")},
        {"a-z_0.9!*'()%20%2F%25%C3", formatted("%r", "a-z_0.9!*'() /%\xC3")},
        {"100%", formatted("100%%")},
    };
    for (const Format_case& c : cases) EXPECT_EQ(c.actual, c.expected);
}

TEST(My_string, HostileFormatsNeverOverrun)
{
    Tmy_string s;
    s.format("tail %");
    EXPECT_STREQ(s.c_str(), "tail ");
    s.format("tail %08.3");
    EXPECT_STREQ(s.c_str(), "tail ");
    s.format("%0000000000000000000000000000000000000000000000000008d|after", 1);
    EXPECT_STREQ(s.c_str(), "");
    s.format("%9999d", 1);
    EXPECT_EQ(s.length(), 511u);
    s.format("%.400f", 1e300);
    EXPECT_EQ(s.length(), 511u);
    s.format("%y%d", 4);
    EXPECT_STREQ(s.c_str(), "%y4");
}

TEST(My_string, EscapingRoundTrips)
{
    Tmy_string escaped;
    escaped.appendEscaped("a-b", 0, 1);
    EXPECT_STREQ(escaped.c_str(), "a\\2Db");
    Tmy_string dropped;
    dropped.appendEscaped("a-b", 0, 0);
    EXPECT_STREQ(dropped.c_str(), "ab");

    const char bytes[] = "x\0\xFF\\ y\n";
    Tmy_string all;
    all.appendEscaped(bytes, sizeof bytes - 1, 1);
    Tmy_string back;
    back.appendUnescaped(all.c_str(), 0);
    EXPECT_EQ(text_of(back), std::string(bytes, sizeof bytes - 1));
}

TEST(My_string, UnescapingOddInput)
{
    Tmy_string s;
    s.appendUnescaped("\\4a\\zz|\\4", 0);
    EXPECT_EQ(text_of(s), std::string("J\0|", 3));
}

TEST(My_string, TrimAndToInt)
{
    Tmy_string s;
    s.assign(" \tx y\r\n");
    s.trim();
    EXPECT_STREQ(s.c_str(), "x y");
    s.assign(" \r\n ");
    s.trim();
    EXPECT_EQ(s.length(), 0u);
    s.assign(" +42 ");
    EXPECT_EQ(s.toInt(), 42);
    s.assign("7x");
    EXPECT_EQ(s.toInt(), 7);
}

TEST(Log_printf, GoesToTheSinkOrNowhere)
{
    log_printf("dropped %d", 1);
    {
        Log_capture log;
        log_printf("TX : %s", "@");
        EXPECT_EQ(Log_capture::lines(), std::vector<std::string>{"TX : @"});
    }
    log_printf("dropped %s", "again");
    EXPECT_EQ(Log_capture::lines().size(), 1u);
}

} // namespace
