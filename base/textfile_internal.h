// The text layer under the line and field readers, shared by textfile.cpp
// and fields.cpp only.
#pragma once
#include "base/textfile.h"

// The next byte of the readable text of an open Input handle, with a CR LF
// pair read as one LF; -1 at the end of the text, which is then remembered
// in endMet. Does not move on.
int peekTextByte(FileHandle& h);
// Moves past the byte peekTextByte gave (both bytes of a CR LF pair).
void skipTextByte(FileHandle& h);
