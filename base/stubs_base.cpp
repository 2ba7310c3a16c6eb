// Placeholder bodies so that everything links while the parts are written.
#include "base/strings.h"
#include "base/numbers.h"
#include "base/textfile.h"
#include "base/timer.h"
#include "base/commandline.h"
#include "base/process.h"
std::string leftChars(const std::string&, int) { return {}; }
std::string rightChars(const std::string&, int) { return {}; }
std::string midChars(const std::string&, int, int) { return {}; }
int findText(int, const std::string&, const std::string&) { return 0; }
int findTextLast(const std::string&, const std::string&, int) { return 0; }
std::string trimLeadingSpaces(const std::string& s) { return s; }
std::string upperCase(const std::string& s) { return s; }
std::string decimalText(int32_t) { return {}; }
std::string hexText(int32_t) { return {}; }
std::string charText(int32_t) { return {}; }
int charCode(const std::string&, int) { return 0; }
std::string repeatChar(int, int32_t) { return {}; }
std::string repeatChar(int, const std::string&) { return {}; }
double parseNumber(const std::string&) { return 0; }
int32_t roundToInt(double) { return 0; }
int32_t floorToInt(double) { return 0; }
FileHandle::~FileHandle() {}
void openFile(FileHandle&, const std::string&, FileMode) {}
bool closeFile(FileHandle&) { return true; }
bool isOpen(const FileHandle&) { return false; }
void readLine(FileHandle&, std::string&) {}
bool atEndOfFile(FileHandle&) { return true; }
std::string readTextField(FileHandle&) { return {}; }
int32_t readIntField(FileHandle&) { return 0; }
void writeLine(FileHandle&, const std::string&) {}
void writeConsoleLine(const std::string&) {}
void readByte(FileHandle&, uint8_t&) {}
double timerSeconds() { return 0; }
void setFakeClock(double) {}
void useRealClock() {}
std::string commandTail(int, char**) { return {}; }
int runProgram(const ProgramRun&) { return -1; }
