#pragma once
#include <string>

std::string urlEncode(const std::string& text);
// The submission location of form f without its suffix.
std::string submissionLocation(int f);
// Builds action?name=value&..., waits for the release, adds the suffix and
// navigates there.
void submitForm(int f);
