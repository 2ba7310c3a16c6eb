// One temporary file per fuzzing process, rewritten with every input, so the
// readers under test see a real file as the browser does.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

inline const std::string& fuzzInputPath() {
    static const std::string path = [] {
        // Memory-backed when the machine has it: cutting a file on a disk
        // can cost milliseconds, which would be most of every run.
        char inMemory[] = "/dev/shm/nuva-fuzz-XXXXXX", onDisk[] = "/tmp/nuva-fuzz-XXXXXX";
        char* pattern = inMemory;
        int fd = mkstemp(pattern);
        if (fd < 0) fd = mkstemp(pattern = onDisk);
        if (fd < 0) abort();
        close(fd);
        static std::string made = pattern;
        atexit([] { unlink(made.c_str()); });
        return made;
    }();
    return path;
}

inline const std::string& writeFuzzInput(const uint8_t* data, size_t size) {
    const std::string& path = fuzzInputPath();
    int fd = open(path.c_str(), O_WRONLY | O_TRUNC);
    if (fd < 0) abort();
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n <= 0) abort();
        data += n;
        size -= static_cast<size_t>(n);
    }
    close(fd);
    return path;
}
