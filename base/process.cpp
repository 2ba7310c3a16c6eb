// Starting the downloader: spawned directly with its argument vector, never
// through a shell, so nothing in a location can become a command.
#include "base/process.h"

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include "base/timer.h"

extern char** environ;

namespace {

std::string nameOf(const std::string& pair) { return pair.substr(0, pair.find('=')); }

// Our environment with the given pairs added; a given pair replaces a
// variable of ours with the same name.
std::vector<std::string> mergedEnvironment(const std::vector<std::string>& added) {
    std::vector<std::string> merged;
    for (char** e = environ; e && *e; ++e) {
        std::string pair = *e;
        bool replaced = false;
        for (const std::string& a : added)
            if (nameOf(a) == nameOf(pair)) replaced = true;
        if (!replaced) merged.push_back(pair);
    }
    merged.insert(merged.end(), added.begin(), added.end());
    return merged;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) pointers.push_back(&s[0]);
    pointers.push_back(nullptr);
    return pointers;
}

int exitStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

int waitBlocking(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return exitStatus(status);
}

// Polls with a growing pause: a child that fails at once is seen within a
// millisecond, a long one costs no more than one wake-up per 20 ms.
int waitWithTimeout(pid_t pid, int timeoutSeconds) {
    double deadline = monotonicSeconds() + timeoutSeconds;
    long pauseNanoseconds = 1000000;
    for (;;) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return exitStatus(status);
        if (done < 0 && errno != EINTR) return -1;
        if (monotonicSeconds() >= deadline) {
            kill(pid, SIGKILL);
            waitBlocking(pid);
            return -1;
        }
        struct timespec pause = {0, pauseNanoseconds};
        nanosleep(&pause, nullptr);
        if (pauseNanoseconds < 20000000) pauseNanoseconds *= 2;
    }
}

// The child starts with no blocked signals and the usual dispositions, so a
// signal set up by the window library cannot leak into the downloader.
void prepareAttributes(posix_spawnattr_t& attributes) {
    posix_spawnattr_init(&attributes);
    sigset_t none, usual;
    sigemptyset(&none);
    sigemptyset(&usual);
    for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGQUIT, SIGHUP, SIGCHLD}) sigaddset(&usual, s);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &usual);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

void prepareFileActions(posix_spawn_file_actions_t& actions) {
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
}

}  // namespace

int runProgram(const ProgramRun& run) {
    if (run.arguments.empty() || run.arguments[0].empty()) return -1;
    std::vector<std::string> arguments = run.arguments;
    std::vector<std::string> environment = mergedEnvironment(run.environment);
    std::vector<char*> argv = pointersTo(arguments), envp = pointersTo(environment);

    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    prepareAttributes(attributes);
    prepareFileActions(actions);
    pid_t pid = 0;
    int failed = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) return -1;
    return run.timeoutSeconds > 0 ? waitWithTimeout(pid, run.timeoutSeconds) : waitBlocking(pid);
}
