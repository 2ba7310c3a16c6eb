// Navigation and downloads against a fake wget on PATH that records its
// arguments exactly and writes a given page to its output document, in a
// fresh working directory of its own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "document/page_state.h"
#include "document/renderer.h"
#include "gfx/font.h"
#include "gfx/headless.h"
#include "gfx/surface.h"
#include "net/download.h"
#include "net/downloader.h"
#include "net/navigate.h"
#include "tests/work_dir.h"

namespace fs = std::filesystem;

namespace {

struct WgetRun {
    std::string wgetrc;
    std::vector<std::string> arguments;  // without the program name
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class NetTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldPath = getenv("PATH") ? getenv("PATH") : "";
        fs::create_directories(dir / "bin");
        fs::copy_file(fs::path(NUVA_SOURCE_DIR) / "SYS/wgetrc", dir / "SYS/wgetrc");
        fontPresent = fs::exists(fs::path(NUVA_SOURCE_DIR) / "SYS/FONT.DAT");
        if (fontPresent) fs::copy_file(fs::path(NUVA_SOURCE_DIR) / "SYS/FONT.DAT", dir / "SYS/FONT.DAT");
        writeFakeWget();
        setenv("PATH", ((dir / "bin").string() + ":" + oldPath).c_str(), 1);
        useHeadless();
        openSurface(495, 430);
        clearPageState();
        loadFont();
    }
    void TearDown() override {
        setenv("PATH", oldPath.c_str(), 1);
    }

    // Logs WGETRC, the argument count and the arguments, each ended by a NUL;
    // honours "--" like the real one when looking for its output document.
    void writeFakeWget() {
        fs::path script = dir / "bin/wget";
        writeFile(script,
                  "#!/bin/sh\n"
                  "printf '%s\\0' \"${WGETRC-unset}\" \"$#\" \"$@\" >> '" + (dir / "wget.log").string() + "'\n"
                  "out=\n"
                  "for a in \"$@\"; do\n"
                  "  case \"$a\" in\n"
                  "    --) break ;;\n"
                  "    --output-document=*) out=${a#--output-document=} ;;\n"
                  "  esac\n"
                  "done\n"
                  "[ -n \"$out\" ] && cat '" + (dir / "fetched").string() + "' > \"$out\"\n"
                  "exit 0\n");
        fs::permissions(script, fs::perms::owner_all);
        writeFile(dir / "fetched", "");
    }
    void serve(const std::string& text) { writeFile(dir / "fetched", text); }

    std::vector<WgetRun> wgetRuns() {
        std::string log = readFile(dir / "wget.log");
        std::vector<std::string> items;
        for (size_t start = 0, end; (end = log.find('\0', start)) != std::string::npos; start = end + 1)
            items.push_back(log.substr(start, end - start));
        std::vector<WgetRun> runs;
        for (size_t i = 0; i + 1 < items.size();) {
            WgetRun run{items[i], {}};
            size_t count = std::stoul(items[i + 1]);
            i += 2;
            for (size_t k = 0; k < count && i < items.size(); ++k) run.arguments.push_back(items[i++]);
            runs.push_back(run);
        }
        return runs;
    }
    std::vector<std::string> argumentsFor(const std::string& output, const std::string& location) {
        std::vector<std::string> expected = {"--user-agent=NUVA/3", "--output-document=" + output};
        if (!location.empty() && location[0] == '-') expected.push_back("--");
        expected.push_back(location);
        return expected;
    }

    WorkDir work;
    const fs::path dir = work.path();
    std::string oldPath;
    bool fontPresent = false;
};

TEST_F(NetTest, BackSwapsWithThePreviousLocation) {
    writeFile("A", "$page A\r\n");
    writeFile("B", "$page B\r\n");
    navigate(page.previousLocation);
    EXPECT_EQ(page.location, "");
    navigate("A");
    navigate("B");
    const std::vector<std::string> expected = {"A", "B", "A", "B"};
    for (const std::string& location : expected) {
        EXPECT_EQ(page.location, location == "A" ? "B" : "A");
        navigate(page.previousLocation);
        EXPECT_EQ(page.location, location);
        EXPECT_EQ(page.addressText, location);
        EXPECT_EQ(page.previousLocation, location == "A" ? "B" : "A");
    }
    EXPECT_TRUE(wgetRuns().empty());
}

TEST_F(NetTest, AddressBarShowsTheLast57Characters) {
    if (!fontPresent) GTEST_SKIP() << "no SYS/FONT.DAT in the source tree yet";
    std::string location = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWX";
    ASSERT_EQ(location.size(), 60u);
    setPixel(1, 424, 5);    // the frame left and right of the bar stays
    setPixel(350, 424, 5);
    navigate(location);
    auto bar = [] {
        std::vector<int> pixels;
        for (int y = 419; y <= 430; ++y)
            for (int x = 0; x <= 351; ++x) pixels.push_back(surfacePixel(x, y));
        return pixels;
    };
    std::vector<int> shown = bar();
    auto reference = [&](const std::string& text) {
        fillRectangle(2, 421, 349, 428, 7);
        drawText(text, 0, 3, 421, 1);
        return bar();
    };
    EXPECT_EQ(surfacePixel(1, 424), 5);
    EXPECT_EQ(surfacePixel(350, 424), 5);
    EXPECT_EQ(surfacePixel(349, 428), 7);
    EXPECT_EQ(shown, reference(location.substr(3)));
    EXPECT_NE(shown, reference(location.substr(0, 57)));
}

struct SchemeCase {
    std::string location;
    bool remote;
};

void PrintTo(const SchemeCase& c, std::ostream* os) { *os << c.location; }

class NavigateSchemeTest : public NetTest, public ::testing::WithParamInterface<SchemeCase> {};

TEST_P(NavigateSchemeTest, OnlyLowerCaseHttpIsFetched) {
    const std::string location = GetParam().location;
    serve("_fetched>from-wget\r\n");
    if (!GetParam().remote) {
        fs::create_directories(fs::path(location).parent_path());
        writeFile(location, "_local>from-disk\r\n");
    }
    navigate(location);
    std::vector<WgetRun> runs = wgetRuns();
    if (GetParam().remote) {
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].arguments, argumentsFor("SYS/VEKT00.VEK", location));
        EXPECT_EQ(runs[0].wgetrc, (dir / "SYS/wgetrc").string());
        EXPECT_EQ(readFile("SYS/VEKT00.VEK"), "_fetched>from-wget\r\n");
    } else {
        EXPECT_TRUE(runs.empty());
    }
    EXPECT_EQ(page.links[1].kind, Navigate);
    EXPECT_EQ(page.links[1].target, GetParam().remote ? "from-wget" : "from-disk");
}

INSTANTIATE_TEST_SUITE_P(Schemes, NavigateSchemeTest,
                         ::testing::Values(SchemeCase{"http://example.test/page", true},
                                           SchemeCase{"http://h/a b?q=\"1\"", true},
                                           SchemeCase{"HTTP://example.test/page", false},
                                           SchemeCase{"Http://example.test/page", false},
                                           SchemeCase{"https://example.test/page", false},
                                           SchemeCase{"http:/example.test/page", false}));

TEST_F(NetTest, NavigationEmptiesFieldsAndCancelsTheRefresh) {
    writeFile("form", "[>act\r\n?q\r\n]\r\n~1000>elsewhere\r\n");
    writeFile("plain", "$nothing pending\r\n");
    navigate("form");
    page.fields[1][1].value = "typed";
    page.includes[2].location = "cached";
    page.scrollRow = 16;
    ASSERT_GT(page.refreshAt, 0);
    navigate("plain");
    EXPECT_EQ(page.refreshAt, 0);
    EXPECT_EQ(page.fields[1][1].value, "");
    EXPECT_EQ(page.includes[2].location, "");
    EXPECT_EQ(page.scrollRow, 0);
}

// Texts a shell would run or wget would read as options.
const std::vector<std::string> kHostile = {
    "$(touch PWNED)", "`touch PWNED`", "\"; touch PWNED; \"", "'; touch PWNED; '",
    "-O PWNED", "--output-document=PWNED", "a b\tc", "x|touch PWNED&"};

TEST_F(NetTest, HostileTextsReachWgetAsOneLiteralArgument) {
    for (const std::string& text : kHostile) {
        fs::remove("wget.log");
        runDownloader("SYS/VEKT01.VEK", text);
        navigate("http://h/" + text);
        const std::string name = downloadName(text);
        downloadFile(text);
        std::vector<WgetRun> runs = wgetRuns();
        ASSERT_EQ(runs.size(), 3u) << text;
        EXPECT_EQ(runs[0].arguments, argumentsFor("SYS/VEKT01.VEK", text));
        EXPECT_EQ(runs[1].arguments, argumentsFor("SYS/VEKT00.VEK", "http://h/" + text));
        EXPECT_EQ(runs[2].arguments, argumentsFor(name, text));
    }
    EXPECT_FALSE(fs::exists("PWNED"));
}

TEST_F(NetTest, HostileTextsInAPageStayLiteral) {
    writeFile("hostile",
              "\"$(touch PWNED)\r\n"
              "\"-O PWNED\r\n"
              "_one>http://h/`touch PWNED`\r\n"
              "^two>http://h/\"; touch PWNED; \"\r\n"
              "^three>--output-document=PWNED\r\n");
    navigate("hostile");
    ASSERT_EQ(page.links[3].kind, Download);
    const std::vector<LinkEntry> links = {page.links[1], page.links[2], page.links[3]};
    std::vector<std::string> names;
    for (const LinkEntry& link : links) {
        names.push_back(downloadName(link.target));
        if (link.kind == Navigate) navigate(link.target);
        else downloadFile(link.target);
    }
    std::vector<WgetRun> runs = wgetRuns();
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0].arguments, argumentsFor("SYS/VEKT01.VEK", "$(touch PWNED)"));
    EXPECT_EQ(runs[1].arguments, argumentsFor("SYS/VEKT02.VEK", "-O PWNED"));
    EXPECT_EQ(runs[2].arguments, argumentsFor("SYS/VEKT00.VEK", "http://h/`touch PWNED`"));
    EXPECT_EQ(runs[3].arguments, argumentsFor("\"; touch PWNED; \"", "http://h/\"; touch PWNED; \""));
    EXPECT_EQ(runs[4].arguments, argumentsFor("--output-document=PWNED", "--output-document=PWNED"));
    EXPECT_FALSE(fs::exists("PWNED"));
}

struct NameCase {
    std::string label, target;
    std::vector<std::string> existing;  // names taken before; "@name" is a dangling link
    std::string expected;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.label; }

class DownloadNameTest : public NetTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(DownloadNameTest, NeverNamesWhatIsThere) {
    for (const std::string& name : GetParam().existing) {
        if (name[0] == '@') fs::create_symlink(dir / "nowhere", name.substr(1));
        else writeFile(name, "theirs");
    }
    EXPECT_EQ(downloadName(GetParam().target), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DownloadNameTest,
    ::testing::Values(
        NameCase{"LastSegment", "http://h/files/a.zip", {}, "a.zip"},
        NameCase{"NoSlash", "a.zip", {}, "a.zip"},
        NameCase{"QueryKept", "http://h/get?f=1&g=2#top", {}, "get?f=1&g=2#top"},
        NameCase{"TrailingSlash", "http://h/dir/", {}, ""},
        NameCase{"Empty", "", {}, ""},
        NameCase{"Dot", "http://h/.", {}, ""},
        NameCase{"DotDot", "http://h/..", {}, ""},
        NameCase{"Nul", std::string("http://h/a\0b", 12), {}, ""},
        NameCase{"Taken", "http://h/a.zip", {"a.zip"}, "a.zip.1"},
        NameCase{"TakenTwice", "http://h/a.zip", {"a.zip", "a.zip.1"}, "a.zip.2"},
        NameCase{"FirstFreeNumber", "http://h/a.zip", {"a.zip", "a.zip.2"}, "a.zip.1"},
        NameCase{"DanglingLink", "http://h/a.zip", {"@a.zip"}, "a.zip.1"},
        NameCase{"Directory", "http://h/SYS", {}, "SYS.1"},
        NameCase{"DotFile", "http://h/.bashrc", {}, "_.bashrc"},
        NameCase{"DotFileTaken", "http://h/.bashrc", {"_.bashrc"}, "_.bashrc.1"},
        NameCase{"DotDotPrefix", "...x", {}, "_...x"},
        NameCase{"Dash", "http://h/-", {}, "_-"},
        NameCase{"DashPrefix", "http://h/-x", {}, "-x"}),
    [](const ::testing::TestParamInfo<NameCase>& p) { return p.param.label; });

TEST_F(NetTest, DownloadSavesTheTargetUnderItsName) {
    serve("zip bytes");
    downloadFile("http://h/files/a.zip");
    std::vector<WgetRun> runs = wgetRuns();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].arguments, argumentsFor("a.zip", "http://h/files/a.zip"));
    EXPECT_EQ(runs[0].wgetrc, (dir / "SYS/wgetrc").string());
    EXPECT_EQ(readFile("a.zip"), "zip bytes");
}

TEST_F(NetTest, DownloadNeitherReplacesNorFollowsWhatIsThere) {
    fs::create_directories("elsewhere");
    writeFile("notes.txt", "mine");
    fs::create_symlink(dir / "elsewhere/created", "a.zip");
    fs::create_symlink(dir / "notes.txt", "b.zip");
    serve("theirs");
    downloadFile("http://h/notes.txt");
    downloadFile("http://h/a.zip");
    downloadFile("http://h/b.zip");
    EXPECT_EQ(readFile("notes.txt"), "mine");
    EXPECT_FALSE(fs::exists("elsewhere/created"));
    EXPECT_EQ(readFile("notes.txt.1"), "theirs");
    EXPECT_EQ(readFile("a.zip.1"), "theirs");
    EXPECT_EQ(readFile("b.zip.1"), "theirs");
}

TEST_F(NetTest, DownloadOfNoUsableNameWritesNothingButShowsThePageAgain) {
    writeFile("here", "_link>somewhere\r\n");
    navigate("here");
    for (const char* target : {"http://h/dir/", "http://h/..", "."}) {
        page.links[1].kind = None;
        downloadFile(target);
        EXPECT_EQ(page.links[1].kind, Navigate) << target;
    }
    EXPECT_TRUE(wgetRuns().empty());
}

TEST_F(NetTest, DownloadShowsThePageAgainWhereItWas) {
    // A form at the top, then a link on layout row 31: window row 15 once
    // scrolled by 16.
    std::string text = "[>act\r\n?q\r\n]\r\n";
    for (int i = 0; i < 31; ++i) text += "|\r\n";
    text += "_link>somewhere\r\n";
    for (int i = 0; i < 60; ++i) text += "$more\r\n|\r\n";
    writeFile("long", text);
    navigate("long");
    page.fields[1][1].value = "typed";
    page.scrollRow = 16;
    renderPage();
    page.links[1].kind = None;
    serve("data");
    downloadFile("http://h/f.txt");
    EXPECT_EQ(readFile("f.txt"), "data");
    EXPECT_EQ(page.scrollRow, 16);
    EXPECT_EQ(page.fields[1][1].value, "typed");
    EXPECT_EQ(page.links[1].kind, Navigate);
    EXPECT_EQ(page.links[1].row, 15);
    EXPECT_EQ(page.location, "long");
}

}  // namespace
