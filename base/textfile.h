// Text and binary files read and written by the browser's own rules. Nothing
// here reports an error: a handle that failed to open simply stays closed and
// reads as an empty file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class FileMode { Input, Output, Binary };

struct FileHandle {
    int fd = -1;
    FileMode mode = FileMode::Input;
    int64_t size = 0;       // taken at opening, for Input and Binary
    int64_t position = 0;   // bytes of the file consumed (Output: written)
    bool sourceDone = false; // the file has given all it will give
    bool endMet = false;    // a read met the end of the readable text
    bool writeFailed = false;
    // Input and Binary: bytes read ahead, [bufferStart, bufferEnd) unread.
    // Output: bytes waiting to be written.
    std::vector<unsigned char> buffer;
    size_t bufferStart = 0, bufferEnd = 0;

    FileHandle() = default;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();
};

void openFile(FileHandle& h, const std::string& path, FileMode mode);
// Returns false when anything written through the handle was lost, so that
// a caller who must not lose data can tell; the browser's rules ignore it.
bool closeFile(FileHandle& h);
bool isOpen(const FileHandle& h);

void readLine(FileHandle& h, std::string& destination);
bool atEndOfFile(FileHandle& h);
std::string readTextField(FileHandle& h);
int32_t readIntField(FileHandle& h);
void writeLine(FileHandle& h, const std::string& s);
void writeConsoleLine(const std::string& s);
void readByte(FileHandle& h, uint8_t& destination);
