// Every file the program writes, written where it cannot be: into a missing
// folder, a read-only folder and a full disk. The failure is reported and a
// file of the same name that was there stays whole. Where it can be written,
// the file keeps what the user gave it: its links, its permissions.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <ostream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/Settings.h"
#include "calibration/Lumo2_cal_master.h"
#include "events/Lib_cpp_os.h"
#include "events/Log_capture.h"
#include "link/Lumo_data.h"
#include "support/Temp_dir.h"
#include "view/Lumo2_view_master.h"

namespace {

const std::string OLD_CONTENT = "the user's only copy\r\n";

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct stat status_of(const std::string& path) {
    struct stat status{};
    EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
    return status;
}

mode_t permissions_of(const std::string& path) { return status_of(path).st_mode & 07777; }

// While it lives, this thread is held to the permission bits even when it
// runs as root (whom they do not stop): the view of an ordinary user.
class Tpermission_bits_apply {
public:
    Tpermission_bits_apply() {
        if (syscall(SYS_capget, &header, saved) != 0) return;
        __user_cap_data_struct reduced[2] = {saved[0], saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        held = syscall(SYS_capset, &header, reduced) == 0;
    }
    ~Tpermission_bits_apply() {
        if (held) syscall(SYS_capset, &header, saved);
    }
    bool held = false;

private:
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[2]{};
};

// One of the program's writers: writes `name` in `folder`; true when it
// reported success.
struct Twriter {
    const char* name;
    const char* file;
    std::function<bool(const std::string& folder)> write;
};
void PrintTo(const Twriter& c, std::ostream* out) { *out << c.name; }

// The report names the file and the system's reason.
bool reported_unable(const std::string& path) {
    const std::string start = "ERROR : unable to write \"" + path + "\": ";
    for (const std::string& kept : Log_capture::lines())
        if (kept.rfind(start, 0) == 0 && kept.size() > start.size()) return true;
    return false;
}

// The view master with a day of measurements, so that the table is larger
// than a page.
Tlumo2_view_master& filled_view_master() {
    static Tlumo2_view_master master;
    if (master.table.data_rows() == 0) {
        for (int i = 0; i < 8640; ++i) {
            Tlumo_measure record;
            parse_text_line(&record, "O 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24");
            record.timestamp = 1700000000 + 10 * i;
            master.table.table_add(&record);
        }
    }
    return master;
}

std::vector<Twriter> writers() {
    return {
        {"settings", "lumo2.cfg",
         [](const std::string& folder) {
             Tsettings settings;
             settings.directory.assign(folder.c_str());
             settings.path.assign((folder + "/lumo2.cfg").c_str());
             settings.setInt("autonnect", 1);
             return settings.save() == 1;
         }},
        {"table", "table.txt",
         [](const std::string& folder) {
             const std::string path = folder + "/table.txt";
             filled_view_master().table_save(path.c_str());
             return !reported_unable(path);
         }},
        {"dat", "calibration.dat",
         [](const std::string& folder) {
             const std::string path = folder + "/calibration.dat";
             Tlumo2_cal_master master;
             master.save_dat(path.c_str());
             return !reported_unable(path);
         }},
        {"xml", "calibration.xml",
         [](const std::string& folder) {
             const std::string path = folder + "/calibration.xml";
             Tlumo2_cal_master master;
             master.save_xml(path.c_str());
             return !reported_unable(path);
         }},
    };
}

class File_safety : public ::testing::TestWithParam<Twriter> {
protected:
    void TearDown() override {
        if (mounted) umount2(mount_point.c_str(), MNT_DETACH);
    }

    // A small file system of its own at <temp>/mnt; false when this machine
    // does not let the test mount one.
    bool mount_small_disk(const char* size) {
        mount_point = dir.file("mnt");
        std::filesystem::create_directory(mount_point);
        const std::string options = std::string("size=") + size;
        mounted = mount("lumo2-test", mount_point.c_str(), "tmpfs", 0, options.c_str()) == 0;
        return mounted;
    }

    Ttemp_dir dir;
    Log_capture log;
    std::string mount_point;
    bool mounted = false;
};

TEST_P(File_safety, WorksWhereItCan) {
    ASSERT_TRUE(GetParam().write(dir.path));
    EXPECT_FALSE(read_file(dir.file(GetParam().file)).empty());
}

TEST_P(File_safety, FolderThatIsAFileOrMissing) {
    dir.write("plain", OLD_CONTENT);
    EXPECT_FALSE(GetParam().write(dir.file("plain")));
    EXPECT_FALSE(GetParam().write(dir.file("missing")));
    EXPECT_EQ(read_file(dir.file("plain")), OLD_CONTENT);
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST_P(File_safety, ReadOnlyFolderKeepsTheOldFile) {
    const std::string folder = dir.file("locked");
    if (geteuid() == 0) {
        // Permissions do not stop root; a read-only file system does.
        if (!mount_small_disk("1m")) GTEST_SKIP() << "cannot mount a file system here";
        std::ofstream(mount_point + "/" + GetParam().file, std::ios::binary) << OLD_CONTENT;
        ASSERT_EQ(mount(nullptr, mount_point.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
        EXPECT_FALSE(GetParam().write(mount_point));
        EXPECT_EQ(read_file(mount_point + "/" + GetParam().file), OLD_CONTENT);
        return;
    }
    // A writable file there would be rewritten in place (below); this one is
    // read-only as well.
    std::filesystem::create_directory(folder);
    const std::string old_path = folder + "/" + GetParam().file;
    std::ofstream(old_path, std::ios::binary) << OLD_CONTENT;
    chmod(old_path.c_str(), 0444);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(GetParam().write(folder));
    EXPECT_EQ(read_file(old_path), OLD_CONTENT);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
}

TEST_P(File_safety, LinkKeptAndItsTargetReplaced) {
    // work/<file> -> hop -> ../data/<file>
    const std::string work = dir.file("work");
    const std::string target = dir.file("data/" + std::string(GetParam().file));
    std::filesystem::create_directories(work);
    std::filesystem::create_directory(dir.file("data"));
    dir.write("data/" + std::string(GetParam().file), OLD_CONTENT);
    std::filesystem::create_symlink("hop", work + "/" + GetParam().file);
    std::filesystem::create_symlink("../data/" + std::string(GetParam().file), work + "/hop");

    ASSERT_TRUE(GetParam().write(work));
    EXPECT_TRUE(std::filesystem::is_symlink(work + "/" + GetParam().file));
    EXPECT_TRUE(std::filesystem::is_symlink(work + "/hop"));
    EXPECT_NE(read_file(target), OLD_CONTENT);
    EXPECT_FALSE(read_file(target).empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work), {}), 2);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("data")), {}), 1);
}

TEST_P(File_safety, ReadOnlyFileRefusedAndUnchanged) {
    // Refused also when this runs as root: a file that grants writing to
    // nobody is read-only for every user.
    const std::string old_path = dir.file(GetParam().file);
    dir.write(GetParam().file, OLD_CONTENT);
    chmod(old_path.c_str(), 0444);
    EXPECT_FALSE(GetParam().write(dir.path));
    EXPECT_EQ(read_file(old_path), OLD_CONTENT);
    EXPECT_EQ(permissions_of(old_path), 0444u);
}

TEST_P(File_safety, PermissionsKept) {
    const std::string old_path = dir.file(GetParam().file);
    for (const mode_t mode : {0600u, 0640u, 0664u}) {
        dir.write(GetParam().file, OLD_CONTENT);
        chmod(old_path.c_str(), mode);
        ASSERT_TRUE(GetParam().write(dir.path));
        EXPECT_NE(read_file(old_path), OLD_CONTENT);
        EXPECT_EQ(permissions_of(old_path), mode);
    }
    // A new file gets what the user's umask gives any new file.
    const mode_t mask = umask(027);
    std::filesystem::remove(old_path);
    const bool written = GetParam().write(dir.path);
    umask(mask);
    ASSERT_TRUE(written);
    EXPECT_EQ(permissions_of(old_path), 0640u);
}

TEST_P(File_safety, WritableFileInReadOnlyFolderRewrittenInPlace) {
    const std::string folder = dir.file("closed");
    const std::string old_path = folder + "/" + GetParam().file;
    std::filesystem::create_directory(folder);
    std::ofstream(old_path, std::ios::binary) << OLD_CONTENT;
    const ino_t inode = status_of(old_path).st_ino;
    chmod(folder.c_str(), 0555);
    bool written = false;
    {
        Tpermission_bits_apply ordinary_user;
        if (!ordinary_user.held && geteuid() == 0) GTEST_SKIP() << "cannot give up root's permissions here";
        written = GetParam().write(folder);
    }
    chmod(folder.c_str(), 0755);
    ASSERT_TRUE(written);
    EXPECT_NE(read_file(old_path), OLD_CONTENT);
    EXPECT_FALSE(read_file(old_path).empty());
    EXPECT_EQ(status_of(old_path).st_ino, inode);
}

TEST_P(File_safety, FullDiskKeepsTheOldFile) {
    if (!mount_small_disk("256k")) GTEST_SKIP() << "cannot mount a small file system here";
    const std::string old_path = mount_point + "/" + GetParam().file;
    std::ofstream(old_path, std::ios::binary) << OLD_CONTENT;
    {
        // Fill every free byte.
        std::ofstream filler(mount_point + "/filler", std::ios::binary);
        const std::string block(4096, 'f');
        for (int i = 0; i < 256 && filler; ++i) {
            filler.write(block.data(), std::streamsize(block.size()));
            filler.flush();
        }
    }
    EXPECT_FALSE(GetParam().write(mount_point));
    EXPECT_EQ(read_file(old_path), OLD_CONTENT);
    for (const auto& entry : std::filesystem::directory_iterator(mount_point)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == GetParam().file || name == "filler") << "left behind: " << name;
    }
}

// A rewrite in place that fails midway (here at the largest file the
// process may write) cuts nothing: the old bytes beyond those written stay.
TEST(File_safety_in_place, FailedWriteLeavesTheFileItsLength) {
    Ttemp_dir dir;
    const std::string folder = dir.file("closed");
    const std::string path = folder + "/table.csv";
    std::filesystem::create_directory(folder);
    std::ofstream(path, std::ios::binary) << std::string(8192, 'o');
    chmod(folder.c_str(), 0555);
    struct rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    bool tried = false;
    bool written = false;
    {
        Tpermission_bits_apply ordinary_user;
        if (ordinary_user.held || geteuid() != 0) {
            const std::string bytes(6000, 'n');
            tried = setrlimit(RLIMIT_FSIZE, &small) == 0;
            written = tried && write_file_replacing(path.c_str(), bytes.data(), bytes.size());
            setrlimit(RLIMIT_FSIZE, &saved);
        }
    }
    std::signal(SIGXFSZ, previous);
    chmod(folder.c_str(), 0755);
    if (!tried) GTEST_SKIP() << "cannot give up root's permissions or limit the file size here";
    EXPECT_FALSE(written);
    EXPECT_EQ(read_file(path), std::string(4096, 'n') + std::string(4096, 'o'));
}

// The temporary file beside it needs a name of its own, which must fit too.
TEST(File_safety_names, NameAtTheFileSystemsLimitIsWritten) {
    Ttemp_dir dir;
    Log_capture log;
    const std::string path = dir.file(std::string(251, 'n') + ".csv");
    filled_view_master().table_save(path.c_str());
    EXPECT_FALSE(reported_unable(path));
    EXPECT_FALSE(read_file(path).empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
}

INSTANTIATE_TEST_SUITE_P(Writers, File_safety, ::testing::ValuesIn(writers()),
                         [](const ::testing::TestParamInfo<Twriter>& info) { return info.param.name; });

}  // namespace
