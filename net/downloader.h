// The one way the browser starts wget: directly, never through a shell, with
// the output name and the location each as a single argument.
#pragma once
#include <string>

void runDownloader(const std::string& outputName, const std::string& location);
