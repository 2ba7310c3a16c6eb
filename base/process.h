// Starting external programs. There is deliberately no shell here: programs
// are started with their arguments as given, so no text taken from a page can
// ever be read as a command.
#pragma once
#include <string>
#include <vector>

struct ProgramRun {
    std::vector<std::string> arguments;   // arguments[0] is looked up on PATH
    std::vector<std::string> environment; // NAME=value pairs added to ours
    int timeoutSeconds = 0;               // 0: wait as long as it takes
};

// Runs the program with standard input, output and error on /dev/null and
// waits for it. Returns its exit status, or -1 when it could not be started
// or had to be stopped at its time-out.
int runProgram(const ProgramRun& run);
