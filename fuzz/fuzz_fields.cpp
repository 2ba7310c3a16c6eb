// Reads arbitrary bytes as a text file through lines, text fields, integer
// fields and bytes, in a mixture chosen by the first input byte, and checks
// what must hold for any file: a read never loses its place, a line never
// holds an LF or Ctrl-Z, the byte reader returns the file exactly, and a file
// read by lines alone matches a plain model of the line rule.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/textfile.h"
#include "fuzz_input_file.h"

namespace {

void check(bool ok) {
    if (!ok) abort();
}

// The line rule written the simple way: text up to Ctrl-Z, CR LF as LF,
// then one CR dropped at the end of every line and at the end of the text.
std::vector<std::string> modelLines(const uint8_t* data, size_t size) {
    const void* stop = memchr(data, 26, size);
    size_t n = stop ? static_cast<size_t>(static_cast<const uint8_t*>(stop) - data) : size;
    std::string text;
    for (size_t i = 0; i < n; ++i) {
        if (data[i] == '\r' && i + 1 < n && data[i + 1] == '\n') continue;
        text += static_cast<char>(data[i]);
    }
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        size_t end = lf == std::string::npos ? text.size() : lf;
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    if (lines.empty()) lines.push_back("");
    return lines;
}

void checkText(const std::string& s) {
    check(s.find('\n') == std::string::npos);
    check(s.find('\x1a') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t mixture = data[0];
    const uint8_t* file = data + 1;
    const size_t fileSize = size - 1;
    const std::string& path = writeFuzzInput(file, fileSize);

    FileHandle text, bytes;
    openFile(text, path, FileMode::Input);
    openFile(bytes, path, FileMode::Binary);
    check(isOpen(text) && isOpen(bytes));

    bool readsText = false, readsBytes = false;
    for (int group = 0; group < 4; ++group) {
        int op = (mixture >> (2 * group)) & 3;
        (op == 3 ? readsBytes : readsText) = true;
    }
    std::vector<std::string> lines;
    bool onlyLines = true;
    size_t bytesRead = 0;
    for (size_t step = 0; step < 4 * (fileSize + 2); ++step) {
        int op = (mixture >> (2 * (step % 4))) & 3;
        int64_t before = text.position;
        bool endBefore = atEndOfFile(text);
        if (op == 0) {
            std::string line;
            readLine(text, line);
            checkText(line);
            check(!endBefore || line.empty());
            if (!endBefore || lines.empty()) lines.push_back(line);
        } else if (op == 1) {
            std::string field = readTextField(text);
            checkText(field);
            check(!endBefore || field.empty());
            check(field.size() <= 4096 && field.find('\r') == std::string::npos);
            onlyLines = false;
        } else if (op == 2) {
            int32_t value = readIntField(text);
            check(!endBefore || value == 0);
            onlyLines = false;
        } else {
            uint8_t b = 77;
            readByte(bytes, b);
            check(b == (bytesRead < fileSize ? file[bytesRead] : 0));
            ++bytesRead;
            continue;
        }
        // Every text read either moves on or stands at the end.
        check(endBefore || atEndOfFile(text) || text.position > before);
        if (atEndOfFile(text) && (!readsBytes || bytesRead >= fileSize)) break;
    }
    if (readsText) check(atEndOfFile(text));
    if (readsText && onlyLines) check(lines == modelLines(file, fileSize));
    check(closeFile(text));
    check(closeFile(bytes));
    return 0;
}
