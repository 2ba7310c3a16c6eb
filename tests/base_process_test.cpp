#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/process.h"
#include "base/timer.h"
#include "tests/work_dir.h"

namespace {

class RunProgramTest : public ::testing::Test {
protected:
    WorkDir work{WorkDir::Stay};
    const std::string dir = work.path().string();

    std::string script(const std::string& name, const std::string& body) {
        std::string path = dir + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body;
        chmod(path.c_str(), 0755);
        return path;
    }
    std::string contents(const std::string& path) {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(RunProgramTest, ArgumentsArriveAsGivenWithNoShellInBetween) {
    std::string record = dir + "/argv";
    std::string recorder = script("record", "out=$1; shift\nfor a; do printf '[%s]\\n' \"$a\"; done > \"$out\"\n");
    std::string touched = dir + "/touched";
    ProgramRun run;
    run.arguments = {recorder, record, "$(touch " + touched + ")", "; rm -rf " + dir,
                     "a  b", "", "\"quoted\"", "*", "`id`", "x\ny"};
    EXPECT_EQ(runProgram(run), 0);
    EXPECT_EQ(contents(record), "[$(touch " + touched + ")]\n[; rm -rf " + dir +
                                    "]\n[a  b]\n[]\n[\"quoted\"]\n[*]\n[`id`]\n[x\ny]\n");
    EXPECT_NE(access(touched.c_str(), F_OK), 0);
}

TEST_F(RunProgramTest, ExitStatusAndProgramsThatCannotStart) {
    struct Case { std::vector<std::string> arguments; int expected; };
    const std::vector<Case> cases = {
        {{"true"}, 0},
        {{"false"}, 1},
        {{"sh", "-c", "exit 3"}, 3},  // found on PATH
        {{"sh", "-c", "kill -9 $$"}, 128 + 9},
        {{"nuva-no-such-program-anywhere"}, -1},
        {{dir + "/missing"}, -1},
        {{""}, -1},
        {{}, -1},
    };
    for (const auto& c : cases) {
        ProgramRun run;
        run.arguments = c.arguments;
        EXPECT_EQ(runProgram(run), c.expected) << (c.arguments.empty() ? "" : c.arguments[0]);
    }
}

TEST_F(RunProgramTest, EnvironmentIsOursPlusTheGivenPairs) {
    setenv("NUVA_TEST_KEPT", "kept", 1);
    setenv("NUVA_TEST_REPLACED", "old", 1);
    std::string out = dir + "/env";
    std::string probe = script("env", "printf '%s|%s|%s|' \"$NUVA_TEST_KEPT\" \"$NUVA_TEST_REPLACED\" "
                                      "\"$NUVA_TEST_ADDED\" > \"$1\"\n"
                                      "env | grep -c '^NUVA_TEST_REPLACED=' >> \"$1\"\n");
    ProgramRun run;
    run.arguments = {probe, out};
    run.environment = {"NUVA_TEST_REPLACED=new", "NUVA_TEST_ADDED=a b=c"};
    EXPECT_EQ(runProgram(run), 0);
    EXPECT_EQ(contents(out), "kept|new|a b=c|1\n");
    unsetenv("NUVA_TEST_KEPT");
    unsetenv("NUVA_TEST_REPLACED");
}

TEST_F(RunProgramTest, StandardStreamsAreTheNullDevice) {
    std::string out = dir + "/fds";
    std::string probe = script("fds", "fds=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\n"
                                      "printf '%s\\n' \"$fds\" > \"$1\"\n");
    ProgramRun run;
    run.arguments = {probe, out};
    EXPECT_EQ(runProgram(run), 0);
    EXPECT_EQ(contents(out), "/dev/null\n/dev/null\n/dev/null\n");
}

TEST_F(RunProgramTest, TimeoutKillsTheChildEvenWithAFakeClock) {
    setFakeClock(0);  // the time-out must follow real time, not the test's clock
    ProgramRun run;
    run.arguments = {"sleep", "5"};
    run.timeoutSeconds = 1;
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(runProgram(run), -1);
    // Waiting for the child instead of killing it would take the full 5 s.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(4500));
    useRealClock();

    run.arguments = {"sh", "-c", "exit 7"};
    run.timeoutSeconds = 5;
    EXPECT_EQ(runProgram(run), 7);
}

}  // namespace
