#pragma once
#include <string>

// Saves the target under its last path segment in the working directory
// (never over an existing file), then shows the same page again.
void downloadFile(const std::string& target);
// The name a download of `target` is saved under, given the files that
// already stand in the working directory; "" when nothing may be written.
std::string downloadName(const std::string& target);
