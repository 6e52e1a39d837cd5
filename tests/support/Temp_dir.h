#pragma once
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

// A fresh directory under the system's temporary folder, removed afterwards.
class Ttemp_dir {
public:
    // A name that no other directory has: creating it is what claims it.
    Ttemp_dir()
    {
        std::random_device seed;
        std::mt19937_64 names(seed());
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && path.empty(); attempt++) {
            const std::filesystem::path candidate = base / ("lumo2-test-" + std::to_string(names() % 1000000000));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) path = candidate.string();
        }
    }
    // A file a failed test left open cannot be removed on Windows: it stays.
    ~Ttemp_dir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }

    std::string file(const std::string& name) const { return (std::filesystem::path(path) / name).string(); }

    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }

    std::string read(const std::string& name) const
    {
        std::ifstream in(file(name), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    std::string path;
};
