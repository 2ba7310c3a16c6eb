// Files through a plain descriptor and a read-ahead buffer of our own, so the
// text rules (CR LF as LF, Ctrl-Z as the end, the size fixed at opening) are
// applied in one place and a long line is read in whole blocks.
#include "base/textfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/textfile_internal.h"

namespace {

constexpr size_t kBufferSize = 64 * 1024;
constexpr unsigned char kLineFeed = 10, kReturn = 13, kTextEnd = 26;

size_t unread(const FileHandle& h) { return h.bufferEnd - h.bufferStart; }

void consume(FileHandle& h, size_t n) {
    h.bufferStart += n;
    h.position += static_cast<int64_t>(n);
}

// Reads more of the file into the buffer. The file may shrink or vanish
// while it is open: a short read then simply ends the data.
void fillBuffer(FileHandle& h) {
    if (h.bufferStart == h.bufferEnd) {
        h.bufferStart = h.bufferEnd = 0;
    } else if (h.bufferStart > 0) {
        std::memmove(h.buffer.data(), h.buffer.data() + h.bufferStart, unread(h));
        h.bufferEnd -= h.bufferStart;
        h.bufferStart = 0;
    }
    int64_t fileOffset = h.position + static_cast<int64_t>(unread(h));
    int64_t left = h.size - fileOffset;
    size_t room = h.buffer.size() - h.bufferEnd;
    if (left <= 0 || room == 0) {
        h.sourceDone = left <= 0;
        return;
    }
    size_t wanted = left < static_cast<int64_t>(room) ? static_cast<size_t>(left) : room;
    ssize_t got;
    do {
        got = ::read(h.fd, h.buffer.data() + h.bufferEnd, wanted);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        h.sourceDone = true;
        return;
    }
    size_t n = static_cast<size_t>(got);
    if (h.mode == FileMode::Input) {
        unsigned char* start = h.buffer.data() + h.bufferEnd;
        if (auto* stop = static_cast<unsigned char*>(std::memchr(start, kTextEnd, n))) {
            n = static_cast<size_t>(stop - start);
            h.sourceDone = true;
        }
    }
    h.bufferEnd += n;
}

// Makes at least `wanted` unread bytes available unless the data ends
// first; returns how many there are.
size_t ensureUnread(FileHandle& h, size_t wanted) {
    while (unread(h) < wanted && !h.sourceDone) fillBuffer(h);
    return unread(h);
}

bool writeAll(int fd, const unsigned char* data, size_t n) {
    while (n > 0) {
        ssize_t done = ::write(fd, data, n);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        data += done;
        n -= static_cast<size_t>(done);
    }
    return true;
}

// Once a write has failed the file is incomplete anyway; later writes are
// dropped so that it does not get holes in the middle.
void flushOutput(FileHandle& h) {
    if (!h.writeFailed && !h.buffer.empty() &&
        !writeAll(h.fd, h.buffer.data(), h.buffer.size()))
        h.writeFailed = true;
    h.buffer.clear();
}

int openDescriptor(const std::string& path, FileMode mode) {
    const char* p = path.c_str();
    switch (mode) {
    case FileMode::Input:
        // Non-blocking so that a FIFO named as a page cannot hang us; it is
        // turned away below as not a regular file.
        return ::open(p, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    case FileMode::Output:
        return ::open(p, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    case FileMode::Binary: {
        int fd = ::open(p, O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) fd = ::open(p, O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
        if (fd < 0) fd = ::open(p, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        return fd;
    }
    }
    return -1;
}

}  // namespace

FileHandle::~FileHandle() { closeFile(*this); }

void openFile(FileHandle& h, const std::string& path, FileMode mode) {
    if (isOpen(h)) return;
    h.mode = mode;
    h.size = h.position = 0;
    h.sourceDone = h.endMet = h.writeFailed = false;
    h.bufferStart = h.bufferEnd = 0;
    if (path.empty()) return;
    int fd = openDescriptor(path, mode);
    if (fd < 0) return;
    if (mode != FileMode::Output) {
        struct stat info;
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd);
            return;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        h.size = static_cast<int64_t>(info.st_size);
        // Small files get a small buffer, so opening one stays cheap.
        int64_t wanted = h.size < 16 ? 16 : h.size;
        h.buffer.resize(wanted < static_cast<int64_t>(kBufferSize) ? static_cast<size_t>(wanted)
                                                                   : kBufferSize);
    } else {
        h.buffer.clear();
    }
    h.fd = fd;
}

bool closeFile(FileHandle& h) {
    if (!isOpen(h)) return true;
    if (h.mode == FileMode::Output) flushOutput(h);
    bool ok = !h.writeFailed;
    // No retry on EINTR: the descriptor is gone either way on this system.
    if (::close(h.fd) != 0) ok = false;
    h.fd = -1;
    h.bufferStart = h.bufferEnd = 0;
    return ok;
}

bool isOpen(const FileHandle& h) { return h.fd >= 0; }

int peekTextByte(FileHandle& h) {
    if (ensureUnread(h, 2) == 0) {
        h.endMet = true;
        return -1;
    }
    const unsigned char* p = h.buffer.data() + h.bufferStart;
    if (p[0] == kReturn && unread(h) >= 2 && p[1] == kLineFeed) return kLineFeed;
    return p[0];
}

void skipTextByte(FileHandle& h) {
    if (ensureUnread(h, 2) == 0) return;
    const unsigned char* p = h.buffer.data() + h.bufferStart;
    consume(h, p[0] == kReturn && unread(h) >= 2 && p[1] == kLineFeed ? 2 : 1);
}

void readLine(FileHandle& h, std::string& destination) {
    if (!isOpen(h) || h.mode != FileMode::Input) return;
    destination.clear();
    bool endedByLineFeed = false;
    while (ensureUnread(h, 1) > 0) {
        const unsigned char* begin = h.buffer.data() + h.bufferStart;
        size_t n = unread(h);
        auto* lineFeed = static_cast<const unsigned char*>(std::memchr(begin, kLineFeed, n));
        size_t take = lineFeed ? static_cast<size_t>(lineFeed - begin) : n;
        destination.append(reinterpret_cast<const char*>(begin), take);
        consume(h, lineFeed ? take + 1 : take);
        if (lineFeed) {
            endedByLineFeed = true;
            break;
        }
    }
    if (endedByLineFeed) {
        // The CR of a CR LF pair, then a CR standing just before that pair.
        for (int i = 0; i < 2 && !destination.empty() && destination.back() == '\r'; ++i)
            destination.pop_back();
        // Look one byte ahead, so a Ctrl-Z right after the line is its end.
        if (ensureUnread(h, 1) == 0) h.endMet = true;
    } else {
        h.endMet = true;
        if (!destination.empty() && destination.back() == '\r') destination.pop_back();
    }
}

bool atEndOfFile(FileHandle& h) {
    if (!isOpen(h) || h.mode == FileMode::Output) return true;
    return h.endMet || h.position >= h.size;
}

void writeLine(FileHandle& h, const std::string& s) {
    if (!isOpen(h) || h.mode != FileMode::Output) return;
    h.buffer.insert(h.buffer.end(), s.begin(), s.end());
    h.buffer.push_back(kReturn);
    h.buffer.push_back(kLineFeed);
    h.position += static_cast<int64_t>(s.size()) + 2;
    if (h.buffer.size() >= kBufferSize) flushOutput(h);
}

void writeConsoleLine(const std::string& s) {
    std::string line = s + "\r\n";
    std::fflush(stdout);  // keep order with anything printed through stdio
    writeAll(STDOUT_FILENO, reinterpret_cast<const unsigned char*>(line.data()), line.size());
}

void readByte(FileHandle& h, uint8_t& destination) {
    if (!isOpen(h) || h.mode != FileMode::Binary) return;
    if (ensureUnread(h, 1) == 0) {
        h.endMet = true;
        destination = 0;
        return;
    }
    destination = h.buffer[h.bufferStart];
    consume(h, 1);
}
