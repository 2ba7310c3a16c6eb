#pragma once

// One rendering pass over the current page, from its first record.
void renderPage();
