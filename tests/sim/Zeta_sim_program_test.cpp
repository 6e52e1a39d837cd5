// The zeta-sim program: its link appears while it runs and goes on SIGTERM
// or SIGINT, and a bad command line is refused.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "sim/Sim_wire.h"

extern char** environ;

namespace {

struct Trun {
    pid_t pid = -1;
    int output = -1;
};

Trun spawn(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), ZETA_SIM_PATH);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
    Trun run;
    posix_spawn(&run.pid, ZETA_SIM_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_fds[1]);
    run.output = pipe_fds[0];
    return run;
}

int exit_code(const Trun& run) {
    int status = 0;
    waitpid(run.pid, &status, 0);
    close(run.output);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class Zeta_sim_program : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lumo2-zeta-sim-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        setenv("LUMO2_PORT_DIR", dir.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("LUMO2_PORT_DIR");
        std::system(("rm -rf " + dir).c_str());
    }
    std::string dir;
};

TEST_F(Zeta_sim_program, AnswersOnItsLinkAndRemovesItOnStopSignals) {
    for (int stop_signal : {SIGTERM, SIGINT}) {
        const Trun run = spawn({"--com", "42", "--delay", "0", "--cell", "uranine=10", "--quiet"});
        ASSERT_GT(run.pid, 0);
        EXPECT_NE(sim_wire::read_until(run.output, '\n').find("linked as COM42"), std::string::npos);
        const std::string link = dir + "/COM42";
        const int fd = sim_wire::open_slave(link);
        ASSERT_GE(fd, 0);
        sim_wire::send(fd, "A");
        EXPECT_EQ(sim_wire::tokens(sim_wire::read_until(fd, '\n')).size(), 9u);
        close(fd);
        kill(run.pid, stop_signal);
        EXPECT_EQ(exit_code(run), 0);
        EXPECT_NE(access(link.c_str(), F_OK), 0);
    }
}

TEST_F(Zeta_sim_program, HelpAndBadCommandLines) {
    struct Tcase {
        std::vector<std::string> arguments;
        int code;
    };
    const Tcase cases[] = {
        {{"--help"}, 0},
        {{"--cell", "coffee=1"}, 2},
        {{"--form", "morse"}, 2},
        {{"--delay", "-1"}, 2},
        {{"--com", "0"}, 2},
        {{"--com", "256"}, 2},
        {{"--seed", "1e30"}, 2},
        {{"--scenario", "breakthrough:peak=x"}, 2},
        {{"--noise"}, 2},
        {{"--colour", "red"}, 2},
    };
    for (const Tcase& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        EXPECT_EQ(exit_code(spawn(c.arguments)), c.code);
    }
}

// A lone option it does not know is named as unknown, not as lacking a value.
TEST_F(Zeta_sim_program, AnOptionItDoesNotKnowIsCalledUnknown) {
    FILE* run = popen(ZETA_SIM_PATH " --bogus 2>&1", "r");
    ASSERT_NE(run, nullptr);
    char text[256] = {};
    const size_t length = std::fread(text, 1, sizeof text - 1, run);
    EXPECT_EQ(WEXITSTATUS(pclose(run)), 2);
    EXPECT_EQ(std::string(text, length), "zeta-sim: unknown option --bogus (see --help)\n");
}

}  // namespace
