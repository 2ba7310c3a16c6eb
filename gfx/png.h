#pragma once
#include <string>

// Writes the whole surface as an 8-bit RGB PNG through the 16-colour
// palette. Returns false and sets `error` when the file cannot be written.
bool writeSurfacePng(const std::string& path, std::string& error);
