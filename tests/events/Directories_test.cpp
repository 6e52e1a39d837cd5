// The user's data folder and the making of folders with their parents.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "events/Lib_cpp_os.h"
#include "support/Temp_dir.h"
#include "support/Test_env.h"
#include "support/Test_platform.h"

namespace {

struct Tmade_case {
    const char* name;
    const char* path;  // below the test's folder
};

class Make_directories : public ::testing::TestWithParam<Tmade_case> {
protected:
    Ttemp_dir dir;
    std::string error;
};

INSTANTIATE_TEST_SUITE_P(Paths, Make_directories,
                         ::testing::Values(Tmade_case{"one", "a"}, Tmade_case{"nested", "a/b/c"},
                                           Tmade_case{"trailing_separator", "a/b/"},
                                           Tmade_case{"doubled_separator", "a//b"},
                                           Tmade_case{"parents_exist", "data/x"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(Make_directories, MakesTheFolderAndItsParentsOnceAndAgain)
{
    std::filesystem::create_directory(dir.file("data"));
    const std::string path = dir.path + "/" + GetParam().path;
    ASSERT_TRUE(make_directories(path, &error)) << error;
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_TRUE(make_directories(path, &error)) << error;
}

TEST(Make_directories_refused, AFileInTheWayOrNoName)
{
    Ttemp_dir dir;
    dir.write("plain", "x");
    for (const std::string& path : {dir.file("plain"), dir.file("plain") + "/below", std::string()}) {
        std::string error;
        EXPECT_FALSE(make_directories(path, &error)) << path;
        EXPECT_FALSE(error.empty()) << path;
    }
    EXPECT_EQ(dir.read("plain"), "x");
}

TEST(User_data_directory, TheVariableWhenAbsoluteElseTheUsersDefault)
{
    const char* name = data_directory_variable();
    const char* before = std::getenv(name);
    const std::string kept = before ? before : "";
    Ttemp_dir dir;
    set_test_env(name, dir.path.c_str());
    EXPECT_EQ(user_data_directory(), dir.path);
    set_test_env(name, "relative/data");
    const std::string fallback = user_data_directory();
    EXPECT_NE(fallback, "relative/data");
    EXPECT_FALSE(fallback.empty());
    set_test_env(name, before ? kept.c_str() : nullptr);
}

}  // namespace
