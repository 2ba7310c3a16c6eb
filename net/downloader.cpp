// Every transfer goes through here. wget is started directly, never through a
// shell, so a location taken from a page reaches it as one literal argument
// whatever quotes, backquotes or $(...) it holds.
#include "net/downloader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "base/process.h"

namespace {

// Only a server that trickles data forever gets past the time-outs in
// SYS/wgetrc; this stops even that.
constexpr int kHardTimeoutSeconds = 60;

// wget refuses to run at all when WGETRC names a missing file. Without our
// settings file the empty /dev/null still keeps the reader's own ~/.wgetrc
// out, and the hard time-out still bounds the transfer.
std::string settingsFile() {
    struct stat info;
    if (stat("SYS/wgetrc", &info) != 0 || !S_ISREG(info.st_mode)) return "/dev/null";
    std::vector<char> directory(4096);
    while (getcwd(directory.data(), directory.size()) == nullptr) {
        if (directory.size() > (1u << 20)) return "/dev/null";
        directory.resize(directory.size() * 2);
    }
    return std::string(directory.data()) + "/SYS/wgetrc";
}

}  // namespace

void runDownloader(const std::string& outputName, const std::string& location) {
    ProgramRun run;
    run.arguments = {"wget", "--user-agent=NUVA/3", "--output-document=" + outputName};
    // wget would read a location such as "-O/etc/x" as an option.
    if (!location.empty() && location[0] == '-') run.arguments.push_back("--");
    run.arguments.push_back(location);
    run.environment = {"WGETRC=" + settingsFile()};
    run.timeoutSeconds = kHardTimeoutSeconds;
    runProgram(run);
}
