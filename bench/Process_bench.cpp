#include "bench/Process_bench.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

extern char** environ;

long long steady_ns()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string probe_path()
{
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "lumo2_bench_probe").string();
}

Tprobe_process::~Tprobe_process()
{
    if (child > 0) {
        terminate();
        wait_end(5000);
    }
    if (output >= 0) close(output);
}

bool Tprobe_process::start(const std::string& dir, const std::string& argument, std::string* error)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        *error = "no pipe";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    const std::string path = probe_path();
    std::vector<char*> args = {const_cast<char*>(path.c_str())};
    if (!argument.empty()) args.push_back(const_cast<char*>(argument.c_str()));
    args.push_back(nullptr);
    const int failed = posix_spawn(&child, path.c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    output = fds[0];
    if (failed != 0) {
        child = -1;
        *error = "cannot start " + path;
        return false;
    }
    return true;
}

long long Tprobe_process::wait_for(const std::string& word, int patience_ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(patience_ms);
    for (;;) {
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (line.compare(0, word.size() + 1, word + " ") == 0) return std::stoll(line.substr(word.size() + 1));
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return -1;
        pollfd readable = {output, POLLIN, 0};
        if (poll(&readable, 1, int(left.count())) <= 0) continue;
        char bytes[256];
        const ssize_t got = read(output, bytes, sizeof bytes);
        if (got <= 0) return -1;
        pending.append(bytes, size_t(got));
    }
}

bool Tprobe_process::wait_end(int patience_ms)
{
    if (child <= 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(patience_ms);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) break;
        if (done < 0 || std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            child = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    child = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Tprobe_process::terminate()
{
    if (child > 0) kill(child, SIGTERM);
}
