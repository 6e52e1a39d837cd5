#pragma once
// Readers that take a path get the fuzzer's bytes through one scratch file.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

inline const char* fuzz_file(const uint8_t* data, size_t size) {
    // In memory where the system offers it; removed when the run ends.
    static std::string path = [] {
        char pattern[] = "/dev/shm/lumo2-fuzz-XXXXXX";
        char fallback[] = "/tmp/lumo2-fuzz-XXXXXX";
        int fd = mkstemp(pattern);
        char* name = pattern;
        if (fd < 0) {
            fd = mkstemp(fallback);
            name = fallback;
        }
        if (fd < 0) abort();
        close(fd);
        atexit([] { unlink(path.c_str()); });
        return std::string(name);
    }();
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) abort();
    if (size && fwrite(data, 1, size, file) != size) abort();
    fclose(file);
    return path.c_str();
}
