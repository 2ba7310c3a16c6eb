#pragma once

// The browser's logic from the command line to exit: start-up, then the event
// loop until Escape is held at the end of a pass.
int browserMain(int argc, char** argv);
void runEventLoop();
