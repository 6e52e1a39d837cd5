#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>

#include "Log_capture.h"
#include "events/Lib_cpp.h"
#include "events/Lib_cpp_os.h"

namespace {

struct Int_case {
    const char* text;
    int max_chars;
    int value;
    bool error;
};

TEST(Parsers, ParseInt)
{
    const Int_case cases[] = {
        {"1 2", 0, 12, false},     {"-12", 0, -12, false},   {"12-", 0, -12, false},
        {"-1+2", 0, 12, false},    {"12a3", 0, 12, true},    {"x1", 0, 0, true},
        {"", 0, 0, false},         {"\t 7 ", 0, 7, false},   {"12345", 3, 123, false},
        {"4294967295", 0, -1, false}, {"4294967296", 0, 0, false}, {"99999999999", 0, 1215752191, false},
        {"-2147483648", 0, INT_MIN, false},
    };
    for (const Int_case& c : cases) {
        int value = 999;
        EXPECT_EQ(parse_int(c.text, &value, c.max_chars), c.error) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    int value = 5;
    EXPECT_TRUE(parse_int(nullptr, &value));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(parse_int("3", nullptr));
}

TEST(Parsers, ParseUnsigned)
{
    const Int_case cases[] = {
        {"+7", 0, 7, false}, {"-7", 0, 0, true}, {" 1 0 ", 0, 10, false},
        {"8-", 0, 8, true},  {"4294967295", 0, -1, false}, {"123", 2, 12, false},
    };
    for (const Int_case& c : cases) {
        int value = 999;
        EXPECT_EQ(parse_unsigned(c.text, &value, c.max_chars), c.error) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

struct Real_case {
    const char* text;
    double value;
    bool error;
};

TEST(Parsers, ParseReal)
{
    const Real_case cases[] = {
        {"1.5e2", 150, false},  {" -0.25 ", -0.25, false}, {"3,5", 3, true},  {"", 0, false},
        {"2E-3", 0.002, false}, {"-1.5e+1", -15, false},   {"1e0.5", 3.1622776601683795, false},
        {"3.25", 3.25, false},  {"0.1", 0.1, false},        {"7-", -7, false}, {"1.2.3", 1.23, false},
    };
    for (const Real_case& c : cases) {
        double value = 999;
        EXPECT_EQ(parse_real(c.text, &value), c.error) << c.text;
        EXPECT_DOUBLE_EQ(value, c.value) << c.text;
    }
    double value = 5;
    EXPECT_TRUE(parse_real(nullptr, &value));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(parse_real("1", nullptr));
}

TEST(Undefined, MarkersAndMinimum)
{
    EXPECT_EQ(undefined_float(), 3.4028235e38f);
    EXPECT_EQ(undefined_double(), 1.7976931348623157e308);
    EXPECT_TRUE(is_undefined(undefined_float()));
    EXPECT_FALSE(is_undefined(0.0f));
    EXPECT_TRUE(is_undefined_double(undefined_double()));
    const double u = undefined_double();
    EXPECT_EQ(min_defined(u, 2), 2);
    EXPECT_EQ(min_defined(2, u), 2);
    EXPECT_EQ(min_defined(u, u), u);
    EXPECT_EQ(min_defined(1, 2), 1);
    EXPECT_EQ(min_defined(-1, -2), -2);
}

TEST(Hex_dump, LinesOfHexAndCharacters)
{
    Log_capture log;
    unsigned char bytes[36];
    for (int i = 0; i < 36; i++) bytes[i] = (unsigned char)(0x30 + i);
    bytes[0] = 0x00;
    bytes[1] = 0x7F;
    hex_dump("VIRO LUMO ", bytes, 36, 16);
    const auto& lines = Log_capture::lines();
    ASSERT_EQ(lines.size(), 3u);
    std::string first = "00 7F 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F     ..23456789:;<=>?";
    EXPECT_EQ(lines[0], "VIRO LUMO  | " + first);
    std::string last = std::string("50 51 52 53") + std::string(41, ' ') + "PQRS" + std::string(12, ' ');
    EXPECT_EQ(lines[2], std::string(10, ' ') + " | " + last);
    EXPECT_EQ(lines[1].size(), 10u + 3 + 68);
}

TEST(Hex_dump, DegenerateArguments)
{
    Log_capture log;
    unsigned char byte = 'A';
    hex_dump("p", &byte, 0, 16);
    hex_dump(nullptr, &byte, 1, 16);
    hex_dump("p", nullptr, 1, 16);
    EXPECT_TRUE(Log_capture::lines().empty());
    hex_dump(std::string(50, 'p').c_str(), (const unsigned char*)"AB", 2, 0);
    ASSERT_EQ(Log_capture::lines().size(), 2u);
    EXPECT_EQ(Log_capture::lines()[0], std::string(50, 'p') + " | 41     A");
    EXPECT_EQ(Log_capture::lines()[1], std::string(40, ' ') + " | 42     B");
}

TEST(Text_helpers, HexDigitsAndValues)
{
    EXPECT_EQ(hex_digit(0x1A), 'A');
    EXPECT_EQ(hex_digit(9), '9');
    bool error = false;
    EXPECT_EQ(hex_value('f', &error), 15);
    EXPECT_EQ(hex_value('C', &error), 12);
    EXPECT_FALSE(error);
    EXPECT_EQ(hex_value('g', &error), 0);
    EXPECT_TRUE(error);
}

TEST(Text_helpers, XmlEscapeChar)
{
    const std::pair<char, const char*> cases[] = {
        {'\t', "&#9;"}, {char(0xE9), "&#233;"}, {char(0xFF), "&#255;"}, {'a', "a"}, {'"', "&quot;"},
        {'&', "&amp;"}, {'\'', "&apos;"},       {'<', "&lt;"},          {'>', "&gt;"}, {char(0x7F), "\x7F"},
    };
    for (const auto& [c, expected] : cases) {
        char out[7];
        xml_escape_char(out, c);
        EXPECT_STREQ(out, expected);
    }
}

TEST(Text_helpers, BytesAndCase)
{
    const unsigned char bytes[] = {0x12, 0x34, 0xAB, 0xCD};
    EXPECT_EQ(be32_bits(bytes), 0x1234ABCDu);
    EXPECT_EQ(be32_bits(nullptr), 0u);
    EXPECT_TRUE(char_in_set(';', " ;"));
    EXPECT_FALSE(char_in_set(0, " ;"));
    EXPECT_FALSE(char_in_set('a', nullptr));
    EXPECT_EQ(equal_ignore_case("Name", "nAME"), 0);
    EXPECT_EQ(equal_ignore_case("name", "names"), 1);
    EXPECT_EQ(equal_ignore_case(nullptr, "x"), 1);
    char text[] = "MiXeD 1";
    to_lower_ascii(text);
    EXPECT_STREQ(text, "mixed 1");
}

TEST(Path_helpers, CopyBounded)
{
    char out[4] = "zzz";
    EXPECT_EQ(copy_bounded(out, "abc", 4), 3);
    EXPECT_STREQ(out, "abc");
    EXPECT_EQ(copy_bounded(out, "abcd", 4), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(copy_bounded(out, nullptr, 4), 0);
    EXPECT_EQ(copy_bounded(out, "a", 0), 0);
}

struct Join_case {
    const char* directory;
    const char* name;
    int size;
    const char* expected;
};

TEST(Path_helpers, PathJoin)
{
    const Join_case cases[] = {
        {"dir/", "/f", 64, "dir/f"}, {"dir", "f", 64, "dir/f"},    {"", "f", 64, "f"},
        {"dir\\", "f", 64, "dir\\f"}, {"dir", "", 64, "dir"},      {"dir", "f", 6, ""},
        {"dir", "f", 7, "dir/f"},     {"dir", "\\f", 64, "dir\\f"},
    };
    for (const Join_case& c : cases) {
        char out[64];
        int length = path_join(out, c.size, c.directory, c.name);
        EXPECT_STREQ(out, c.expected) << c.directory << " + " << c.name;
        EXPECT_EQ(length, int(strlen(c.expected)));
    }
    char out[8];
    EXPECT_EQ(path_join(out, 8, nullptr, "f"), 0);
}

TEST(Path_helpers, FileNameAndDirectory)
{
    char out[16];
    EXPECT_EQ(file_name_of(out, 16, "/a/b\\c.xml"), 5);
    EXPECT_STREQ(out, "c.xml");
    EXPECT_EQ(file_name_of(out, 16, "C:name"), 4);
    EXPECT_STREQ(out, "name");
    EXPECT_EQ(file_name_of(out, 5, "/a/c.xml"), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(directory_of(out, 16, "/a/b\\c.xml"), 5);
    EXPECT_STREQ(out, "/a/b\\");
    EXPECT_EQ(directory_of(out, 16, "plain"), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(directory_of(out, 5, "/a/b/c"), 0);

    char path[] = "/dir//\\";
    strip_trailing_separators(path);
    EXPECT_STREQ(path, "/dir");
    char root[] = "//";
    strip_trailing_separators(root);
    EXPECT_STREQ(root, "/");
}

TEST(Os, CurrentDirectoryIsAbsolute)
{
    Tmy_string directory;
    current_directory(&directory);
    EXPECT_TRUE(std::filesystem::path(directory.c_str()).is_absolute()) << directory.c_str();
    EXPECT_TRUE(std::filesystem::equivalent(directory.c_str(), std::filesystem::current_path()));
}

} // namespace
