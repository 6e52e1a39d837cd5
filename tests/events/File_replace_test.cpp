#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "events/Lib_cpp_os.h"
#include "support/Temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The folder holds nothing but what the test put there: no temporary file
// is left behind, whatever the outcome.
std::vector<std::string> names_in(const Ttemp_dir& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool replace(const std::string& path, const std::string& bytes)
{
    return write_file_replacing(path.c_str(), bytes.data(), bytes.size());
}

}  // namespace

TEST(File_replace, NewAndExistingFilesGetExactlyTheBytes)
{
    Ttemp_dir dir;
    const std::string binary("a\r\nb\0c\n", 7);
    EXPECT_TRUE(replace(dir.file("new.txt"), binary));
    EXPECT_EQ(dir.read("new.txt"), binary);
    dir.write("old.txt", std::string(5000, 'x'));
    EXPECT_TRUE(replace(dir.file("old.txt"), "short"));
    EXPECT_EQ(dir.read("old.txt"), "short");
    EXPECT_TRUE(replace(dir.file("old.txt"), ""));
    EXPECT_EQ(dir.read("old.txt"), "");
    EXPECT_EQ(names_in(dir), (std::vector<std::string>{"new.txt", "old.txt"}));
}

TEST(File_replace, RefusalsKeepTheOldFileWhole)
{
    Ttemp_dir dir;
    dir.write("locked.txt", "old");
    fs::permissions(dir.file("locked.txt"), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(replace(dir.file("locked.txt"), "new"));
    EXPECT_EQ(dir.read("locked.txt"), "old");
    fs::permissions(dir.file("locked.txt"), fs::perms::owner_write, fs::perm_options::add);

    fs::create_directory(dir.file("folder"));
    EXPECT_FALSE(replace(dir.file("folder"), "new"));
    EXPECT_TRUE(fs::is_directory(dir.file("folder")));
    EXPECT_FALSE(replace(dir.file("missing/f.txt"), "new"));
    EXPECT_FALSE(write_file_replacing(nullptr, "x", 1));
    EXPECT_FALSE(write_file_replacing("", "x", 1));
    EXPECT_EQ(names_in(dir), (std::vector<std::string>{"folder", "locked.txt"}));
}
