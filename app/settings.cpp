#include "app/settings.h"

#include <cstdio>
#include <unistd.h>

#include "base/textfile.h"

namespace {
const char kSettingsPath[] = "SYS/VEK.INI";
const char kNewSettingsPath[] = "SYS/VEK.INI.new";
}  // namespace

std::string readHomeSetting() {
    FileHandle settings;
    openFile(settings, kSettingsPath, FileMode::Input);
    std::string home = readTextField(settings);
    closeFile(settings);
    return home;
}

bool saveHomeSetting(const std::string& location) {
    FileHandle settings;
    openFile(settings, kNewSettingsPath, FileMode::Output);
    if (!isOpen(settings)) return false;
    writeLine(settings, location);
    bool written = !settings.writeFailed && ::fsync(settings.fd) == 0;
    written = closeFile(settings) && written;
    if (written && std::rename(kNewSettingsPath, kSettingsPath) == 0) return true;
    std::remove(kNewSettingsPath);
    return false;
}
