#pragma once
#include <string>

// The arguments after the program's name, joined by single blanks.
std::string commandTail(int argc, char** argv);
