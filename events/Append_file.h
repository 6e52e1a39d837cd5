#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// A file that is only ever extended at its end: a journal of rows. Every
// failure returns false and, when error is given, the system's reason.
// write_all and sync may run on different threads; open, create, truncate
// and close must not overlap any other operation.
class Tappend_file {
public:
    Tappend_file() = default;
    ~Tappend_file() { close(); }
    Tappend_file(const Tappend_file&) = delete;
    Tappend_file& operator=(const Tappend_file&) = delete;

    // Opens an existing file, or a new empty one, for writing at its end.
    bool open(const char* path, std::string* error);
    // Opens a file only when it exists, as open does.
    bool open_existing(const char* path, std::string* error);
    // Opens a new empty file; *exists tells a name already taken apart from
    // other failures.
    bool create(const char* path, bool* exists, std::string* error);
    bool is_open() const { return handle != CLOSED; }

    // The whole content, from the start.
    bool read_all(std::string* bytes, std::string* error);
    // Cuts the file to its first length bytes.
    bool truncate(uint64_t length, std::string* error);
    // Hands all bytes to the system, after the file's end.
    bool write_all(const char* bytes, size_t length, std::string* error);
    // Waits until what was written is on the disk, and with a new file its
    // name in its folder too.
    bool sync(std::string* error);
    void close();

    // Takes the file for this writer alone until it is closed. False only
    // while another writer holds it, with *holder naming that writer
    // ("another program (process 4711)" when its process is known). A file
    // system without locks lets everyone write, as before.
    bool lock(std::string* holder);
    // Waits until no other holds the file, for a short update that several
    // programs make in turn; unlock ends it.
    void lock_waiting();
    void unlock();

private:
    static constexpr intptr_t CLOSED = -1;
    intptr_t handle = CLOSED;
    // The folder of a file created here, whose entry is synced with the
    // file's first sync.
    std::string unsynced_folder;
};
