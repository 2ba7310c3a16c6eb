// Renders arbitrary bytes as a page, at the top and at a scroll position
// taken from the first byte, and checks what must hold for any page: nothing
// is drawn below the page window or left of it, and every registered link,
// form and field lies on a window row. The include fetch finds no wget on
// an empty PATH, so it fails at once and the fragment falls back as usual.
#include <sys/stat.h>
#include <unistd.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "document/page_state.h"
#include "document/renderer.h"
#include "gfx/headless.h"
#include "gfx/surface.h"

namespace {

const int32_t kUntouched = 9;

void check(bool ok) {
    if (!ok) abort();
}

// One working directory for the whole process, with the page file in it.
void enterWorkingDirectory() {
    static bool ready = false;
    if (ready) return;
    char inMemory[] = "/dev/shm/nuva-render-XXXXXX", onDisk[] = "/tmp/nuva-render-XXXXXX";
    const char* dir = mkdtemp(inMemory);
    if (!dir) dir = mkdtemp(onDisk);
    check(dir != nullptr);
    static std::string made = dir;
    check(chdir(dir) == 0);
    mkdir("SYS", 0755);
    mkdir("nobin", 0755);
    setenv("PATH", (made + "/nobin").c_str(), 1);
    atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(made, ignored);
    });
    useHeadless();
    openSurface(495, 430);
    ready = true;
}

void writePage(const uint8_t* data, size_t size) {
    FILE* f = fopen("page.vek", "wb");
    check(f != nullptr);
    check(fwrite(data, 1, size, f) == size);
    fclose(f);
}

bool onWindowRow(int32_t row) { return row >= 0 && row < 48; }

void checkPass() {
    check(page.atEnd == 0 || page.atEnd == 1);
    for (int y = 0; y < 430; ++y) check(surfacePixel(0, y) == kUntouched);
    for (int y = 384; y < 430; ++y) {
        for (int x = 0; x < 495; ++x) check(surfacePixel(x, y) == kUntouched);
    }
    for (int i = 1; i <= kLinkCount; ++i) {
        const LinkEntry& l = page.links[i];
        if (l.kind == None) continue;
        check(l.kind == Download || l.kind == Navigate);
        check(onWindowRow(l.row) && l.x >= 0 && l.x <= 474 && l.length >= 0);
    }
    for (int f = 1; f <= kFormCount; ++f) {
        check(onWindowRow(page.forms[f].row) && page.forms[f].x >= 0 && page.forms[f].x <= 474);
        for (int k = 1; k <= kFieldsPerForm; ++k) {
            const FieldEntry& e = page.fields[f][k];
            check(onWindowRow(e.row) && e.x >= 0 && e.x <= 474);
        }
    }
}

void renderAt(int32_t scrollRow) {
    fillRectangle(0, 0, 494, 429, kUntouched);
    page.scrollRow = scrollRow;
    renderPage();
    checkPass();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    enterWorkingDirectory();
    writePage(data, size);
    clearPageState();
    resetForNavigation();
    page.location = "page.vek";
    page.fields[1][1].value = "typed earlier";
    renderAt(0);
    renderAt(size > 0 ? 16 * (data[0] % 16) : 16);
    return 0;
}
