#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "base/textfile.h"
#include "tests/work_dir.h"

namespace {

class TextFileTest : public ::testing::Test {
protected:
    WorkDir work{WorkDir::Stay};
    const std::string dir = work.path().string();

    std::string file(const std::string& name, const std::string& bytes) {
        std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Reads a page the way the renderer does: one line, then the end test.
    std::vector<std::string> pageLines(const std::string& bytes) {
        FileHandle h;
        openFile(h, file("page", bytes), FileMode::Input);
        std::vector<std::string> lines;
        std::string line;
        do {
            readLine(h, line);
            lines.push_back(line);
        } while (!atEndOfFile(h) && lines.size() < 100);
        return lines;
    }
};

using Lines = std::vector<std::string>;

TEST_F(TextFileTest, LinesAndTheEndTest) {
    struct Case { std::string bytes; Lines expected; };
    const std::vector<Case> cases = {
        {"$a\r\n$b\r\n", {"$a", "$b"}},
        {"$a\r\n$b", {"$a", "$b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\n", {"a\rb"}},
        {"a\rb\rc", {"a\rb\rc"}},
        {"a\r\r\nb", {"a", "b"}},
        {"a\r\r\r\nb", {"a\r", "b"}},
        {"a\r", {"a"}},
        {"a\r\r", {"a\r"}},
        {"\ra", {"\ra"}},
        {" \ta \t\n", {" \ta \t"}},
        {"", {""}},
        {"\n", {""}},
        {"\r\n\r\n", {"", ""}},
        {"a\n\nb\n", {"a", "", "b"}},
        {std::string("\0\xff\n", 3), {std::string("\0\xff", 2)}},
        {"a\n\x1a", {"a"}},
        {"a\r\n\x1a" "b\n", {"a"}},
        {"a\x1a" "b\nc\n", {"a"}},
        {"a\r\x1a", {"a"}},
        {"\x1a", {""}},
    };
    for (const auto& c : cases) EXPECT_EQ(pageLines(c.bytes), c.expected) << c.bytes;
}

TEST_F(TextFileTest, EndTestRightAfterOpening) {
    FileHandle empty, one, ctrlZ;
    openFile(empty, file("empty", ""), FileMode::Input);
    openFile(one, file("one", "x"), FileMode::Input);
    openFile(ctrlZ, file("z", "\x1a"), FileMode::Input);
    EXPECT_TRUE(isOpen(empty));
    EXPECT_TRUE(atEndOfFile(empty));
    EXPECT_FALSE(atEndOfFile(one));
    EXPECT_FALSE(atEndOfFile(ctrlZ));  // a byte on disk, but no text in it
    std::string line = "old";
    readLine(ctrlZ, line);
    EXPECT_EQ(line, "");
    EXPECT_TRUE(atEndOfFile(ctrlZ));
}

TEST_F(TextFileTest, ReadingPastTheEndKeepsGivingNothing) {
    FileHandle h;
    openFile(h, file("p", "a\n"), FileMode::Input);
    std::string line;
    readLine(h, line);
    EXPECT_EQ(line, "a");
    for (int i = 0; i < 3; ++i) {
        line = "stale";
        readLine(h, line);
        EXPECT_EQ(line, "");
        EXPECT_TRUE(atEndOfFile(h));
        EXPECT_TRUE(isOpen(h));
    }
    EXPECT_EQ(readTextField(h), "");
    EXPECT_EQ(readIntField(h), 0);
}

TEST_F(TextFileTest, ClosedHandleReadsAsEmptyAndKeepsDestinations) {
    FileHandle h;
    openFile(h, dir + "/missing", FileMode::Input);
    EXPECT_FALSE(isOpen(h));
    std::string line = "previous line";
    readLine(h, line);
    EXPECT_EQ(line, "previous line");
    EXPECT_TRUE(atEndOfFile(h));
    EXPECT_EQ(readTextField(h), "");
    EXPECT_EQ(readIntField(h), 0);
    uint8_t byte = 42;
    readByte(h, byte);
    EXPECT_EQ(byte, 42);
    EXPECT_TRUE(closeFile(h));
    EXPECT_TRUE(closeFile(h));

    // A directory cannot be read as a file either.
    openFile(h, dir, FileMode::Input);
    EXPECT_FALSE(isOpen(h));
    openFile(h, "", FileMode::Input);
    EXPECT_FALSE(isOpen(h));
}

TEST_F(TextFileTest, OpeningAnOpenHandleKeepsItsFile) {
    FileHandle h;
    openFile(h, file("first", "first\n"), FileMode::Input);
    openFile(h, file("second", "second\n"), FileMode::Input);
    std::string line;
    readLine(h, line);
    EXPECT_EQ(line, "first");
    closeFile(h);
    openFile(h, dir + "/second", FileMode::Input);
    readLine(h, line);
    EXPECT_EQ(line, "second");
}

TEST_F(TextFileTest, LongLinesAcrossBufferBoundaries) {
    const std::string line2000(2000, 'w');
    EXPECT_EQ(pageLines(line2000 + "\r\n"), Lines({line2000}));

    // A CR LF split over every plausible block boundary, and a line of
    // several megabytes.
    for (size_t length : {4095u, 4096u, 65535u, 65536u, 65537u, 131071u}) {
        std::string a(length, 'a'), b(10, 'b');
        EXPECT_EQ(pageLines(a + "\r\n" + b + "\r\r\n"), Lines({a, b})) << length;
        EXPECT_EQ(pageLines(a + "\r"), Lines({a})) << length;
    }
    std::string big(5 * 1000 * 1000 + 7, 'q');
    big[123456] = '\r';
    EXPECT_EQ(pageLines(big + "\nz"), Lines({big, "z"}));
}

TEST_F(TextFileTest, SizeIsTakenAtOpening) {
    std::string path = file("grows", "a\n");
    FileHandle h;
    openFile(h, path, FileMode::Input);
    std::ofstream(path, std::ios::binary | std::ios::app) << "b\nc\n";
    std::string line;
    readLine(h, line);
    EXPECT_EQ(line, "a");
    EXPECT_TRUE(atEndOfFile(h));
    readLine(h, line);
    EXPECT_EQ(line, "");
}

TEST_F(TextFileTest, FileThatShrinksWhileReadEndsEarly) {
    std::string page;
    for (int i = 0; i < 50000; ++i) page += "line " + std::to_string(i) + "\n";
    std::string path = file("shrinks", page);
    FileHandle h;
    openFile(h, path, FileMode::Input);
    std::string line;
    readLine(h, line);
    EXPECT_EQ(line, "line 0");
    ASSERT_EQ(truncate(path.c_str(), 3), 0);
    int count = 1;
    while (!atEndOfFile(h) && count < 100000) {
        readLine(h, line);
        ++count;
    }
    EXPECT_TRUE(atEndOfFile(h));
    EXPECT_LT(count, 50000);  // it ended early, instead of inventing data
    readLine(h, line);
    EXPECT_EQ(line, "");

    // The same for fields and bytes.
    FileHandle fields, bytes;
    path = file("shrinks2", std::string(300000, '7') + ",1");
    openFile(fields, path, FileMode::Input);
    openFile(bytes, path, FileMode::Binary);
    uint8_t b = 0;
    readByte(bytes, b);
    EXPECT_EQ(b, '7');
    ASSERT_EQ(truncate(path.c_str(), 0), 0);
    for (int i = 0; i < 10; ++i) readIntField(fields);
    for (int i = 0; i < 300000; ++i) readByte(bytes, b);
    EXPECT_EQ(b, 0);
    EXPECT_TRUE(atEndOfFile(bytes));
}

TEST_F(TextFileTest, TextFields) {
    struct Case { std::string bytes; Lines expected; };
    const std::vector<Case> cases = {
        {"  pages/a b,c\r\n", {"pages/a b", "c", ""}},
        {"\"pages/x,y\"\r\n", {"pages/x,y", ""}},
        {"\"pages/x\"  ,b", {"pages/x", "b"}},
        {"\"a\" tail", {"a", "tail"}},
        {"ab\"c\",d", {"ab\"c\"", "d"}},
        {"\"open, never closed", {"open, never closed"}},
        {"abc  \t,x", {"abc  \t", "x"}},
        {"\t x", {"x"}},
        {"a\rb", {"a", "b"}},
        {"a\r\r\nb", {"a", "b"}},
        {"a,\nb", {"a", "", "b"}},
        {"a\x1a,b", {"a", ""}},
        {"", {"", ""}},
        {std::string(5000, 'x') + ",y", {std::string(4096, 'x'), std::string(904, 'x'), "y"}},
        {std::string(4096, 'x') + ",y", {std::string(4096, 'x'), "y"}},
    };
    for (const auto& c : cases) {
        FileHandle h;
        openFile(h, file("ini", c.bytes), FileMode::Input);
        Lines got;
        for (size_t i = 0; i < c.expected.size(); ++i) got.push_back(readTextField(h));
        EXPECT_EQ(got, c.expected) << c.bytes.substr(0, 40);
    }
}

TEST_F(TextFileTest, IntegerFields) {
    struct Case { std::string bytes; std::vector<int32_t> expected; };
    const std::vector<Case> cases = {
        {"1,0", {1, 0}},
        {"1 0", {1, 0}},
        {"1 0 1", {1, 0, 1}},
        {"1,0,1", {1, 0, 1}},
        {"1\n0\n1", {1, 0, 1}},
        {"1\r\n0\r\n1\r\n", {1, 0, 1, 0}},
        {"1,\n0", {1, 0, 0}},
        {"1 , 0", {1, 0}},
        {"1\t\t2\r3", {1, 2, 3}},
        {"0,-1,0\n-1 0 -1", {0, -1, 0, -1, 0, -1}},
        {"-1,+12,12abc,x,-", {-1, 12, 12, 0, 0}},
        {"4294967295,3000000000,-4294967295", {-1, -1294967296, 1}},
        {"4294967296,99999999999999999999,-4294967296", {-1, -1, -1}},
        {"&HFF,&o17,&b101,&h,&hffffffff,&H100000000", {255, 15, 5, 0, -1, -1}},
        {"&HE,&X5", {14, 0}},
        {"1.5,2.5,-2.5,1e3,1D1,.4", {2, 2, -2, 1000, 10, 0}},
        {"1e10", {INT32_MIN}},
        {"\"12\",\"1\"2,\"1 2\",\" 7\"", {12, 12, 1, 7}},
        {"", {0, 0}},
        {std::string(100, '1') + ",5", {-1, -1, 5}},
    };
    for (const auto& c : cases) {
        FileHandle h;
        openFile(h, file("font", c.bytes), FileMode::Input);
        std::vector<int32_t> got;
        for (size_t i = 0; i < c.expected.size(); ++i) got.push_back(readIntField(h));
        EXPECT_EQ(got, c.expected) << c.bytes.substr(0, 40);
    }
}

TEST_F(TextFileTest, WrittenLinesEndInCrLfAndReadBack) {
    std::string path = file("VEK.INI", "an old and longer home location\r\n");
    FileHandle h;
    openFile(h, path, FileMode::Output);
    writeLine(h, " pages/home.vek");
    writeLine(h, "");
    writeLine(h, std::string("\0\x1a\n", 3));
    EXPECT_TRUE(closeFile(h));
    EXPECT_EQ(contents(path), std::string(" pages/home.vek\r\n\r\n\0\x1a\n\r\n", 24));

    openFile(h, path, FileMode::Input);
    EXPECT_EQ(readTextField(h), "pages/home.vek");
    closeFile(h);

    writeLine(h, "to a closed handle");
    EXPECT_EQ(contents(path).size(), 24u);
}

TEST_F(TextFileTest, OutputThatCannotBeWritten) {
    FileHandle h;
    openFile(h, dir + "/no/such/dir/VEK.INI", FileMode::Output);
    EXPECT_FALSE(isOpen(h));
    writeLine(h, "lost");

    openFile(h, "/dev/full", FileMode::Output);
    ASSERT_TRUE(isOpen(h));
    writeLine(h, "lost");
    EXPECT_FALSE(closeFile(h));
    EXPECT_FALSE(isOpen(h));

    // A later successful file starts with a clean record.
    openFile(h, dir + "/fine", FileMode::Output);
    writeLine(h, "kept");
    EXPECT_TRUE(closeFile(h));
}

TEST_F(TextFileTest, BinaryReadsRawBytesAndCreatesMissingFiles) {
    std::string path = file("icon", std::string("\x1a\r\n\0\xff", 5));
    FileHandle h;
    openFile(h, path, FileMode::Binary);
    EXPECT_FALSE(atEndOfFile(h));
    std::vector<int> got;
    for (int i = 0; i < 7; ++i) {
        uint8_t b = 99;
        readByte(h, b);
        got.push_back(b);
    }
    EXPECT_EQ(got, std::vector<int>({26, 13, 10, 0, 255, 0, 0}));
    EXPECT_TRUE(atEndOfFile(h));
    closeFile(h);

    std::string missing = dir + "/nhome.f5i";
    openFile(h, missing, FileMode::Binary);
    EXPECT_TRUE(isOpen(h));
    EXPECT_TRUE(atEndOfFile(h));
    uint8_t b = 7;
    readByte(h, b);
    EXPECT_EQ(b, 0);
    closeFile(h);
    EXPECT_EQ(access(missing.c_str(), F_OK), 0);
    EXPECT_EQ(contents(missing), "");

    openFile(h, dir, FileMode::Binary);
    EXPECT_FALSE(isOpen(h));
    b = 7;
    readByte(h, b);
    EXPECT_EQ(b, 7);
}

TEST(ConsoleLine, EndsEachStringWithCrLf) {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    fflush(stdout);
    int saved = dup(1);
    dup2(pipeFds[1], 1);
    writeConsoleLine("NUVA 3");
    writeConsoleLine("");
    dup2(saved, 1);
    close(saved);
    close(pipeFds[1]);
    char buffer[64];
    ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
    close(pipeFds[0]);
    EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0), "NUVA 3\r\n\r\n");
}

}  // namespace
