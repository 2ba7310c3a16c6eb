// Download links save their target in the reader's working directory. A page
// chooses the name, so it is never allowed to replace or write through what
// already stands there, nor to make a hidden dot file.
#include "net/download.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/strings.h"
#include "document/renderer.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "net/downloader.h"

namespace {

// Everything after the last "/", the whole target when it has none.
std::string lastSegment(const std::string& target) {
    int length = static_cast<int>(target.size());
    return rightChars(target, length - findTextLast(target, "/", -1));
}

// lstat, so that a link counts as taken even when it points nowhere.
bool isTaken(const std::string& name) {
    struct stat info;
    return lstat(name.c_str(), &info) == 0;
}

// Creates the file so that nothing can take the name between the choice and
// wget's run; EEXIST means someone did.
int claim(const std::string& name) {
    int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    close(fd);
    return 0;
}

}  // namespace

std::string downloadName(const std::string& target) {
    std::string name = lastSegment(target);
    // A NUL would cut the name short for the file system, so that the checks
    // below would look at another name than the one written.
    if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string::npos)
        return {};
    // "-" alone would make wget write to its standard output.
    if (name[0] == '.' || name == "-") name = "_" + name;
    if (!isTaken(name)) return name;
    for (int n = 1;; ++n) {
        std::string numbered = name + "." + decimalText(n);
        if (!isTaken(numbered)) return numbered;
    }
}

void downloadFile(const std::string& target) {
    std::string name = downloadName(target);
    // Another program may take the chosen name meanwhile: choose again.
    for (int attempt = 0; !name.empty(); ++attempt) {
        int error = claim(name);
        if (error == 0) break;
        name = (error == EEXIST && attempt < 100) ? downloadName(target) : std::string();
    }

    fillRectangle(2, 0, 482, 383, 7);
    drawText("Downloading '" + name + "'", 0, 10, 320, 2);
    if (!name.empty()) runDownloader(name, target);
    renderPage();
}
