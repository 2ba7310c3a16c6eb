// The one record of the run: where the browser is, what the mouse did last,
// and the tables the renderer fills for the event loop to hit-test. Tables
// are indexed from 1; entry 0 exists but is never used.
#pragma once
#include <cstdint>
#include <string>

enum LinkKind : int32_t { None = 0, Download = 1, Navigate = 2 };

struct LinkEntry {
    int32_t x = 0, row = 0, length = 0;
    int32_t kind = None;
    std::string target;
};

struct FormEntry {
    int32_t x = 0, row = 0;
    std::string action, suffix;
};

struct FieldEntry {
    int32_t x = 0, row = 0;
    std::string value, name;
    int32_t textColour = 0, fillColour = 0;
};

struct IncludeSlot {
    std::string location;
};

constexpr int kLinkCount = 50;
constexpr int kFormCount = 4;
constexpr int kFieldsPerForm = 4;
constexpr int kIncludeCount = 4;

struct PageState {
    std::string location, addressText, homeLocation, previousLocation;
    int32_t scrollRow = 0;
    int32_t mouseX = 0, mouseY = 0, mouseButtons = 0;
    int32_t atEnd = 0;
    int32_t refreshAt = 0;
    std::string refreshTarget;
    int32_t pageTextColour = 0, pageFillColour = 0;

    LinkEntry links[kLinkCount + 1];
    FormEntry forms[kFormCount + 1];
    FieldEntry fields[kFormCount + 1][kFieldsPerForm + 1];
    IncludeSlot includes[kIncludeCount + 1];
};

extern PageState page;

void resetForNavigation();
void resetForPass();
void pollMouseState();
// Polls until mouseButtons is anything but 1 (at least once).
void waitForRelease();
// Back to the all-zero state of program start; for tests.
void clearPageState();
