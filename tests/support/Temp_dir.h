#pragma once
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// A fresh directory under the system's temporary folder, removed afterwards.
class Ttemp_dir {
public:
    Ttemp_dir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "lumo2-test-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~Ttemp_dir() { std::filesystem::remove_all(path); }

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
