// The surface as an RGB PNG, for screenshots and tests. The image goes to a
// temporary file beside the target and is renamed over it only when
// complete, so a failure never leaves a partial picture under the real name.
#include "gfx/png.h"
#include <png.h>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include "gfx/palette.h"
#include "gfx/surface_internal.h"

namespace {

struct PngFailure {
    std::string message;
};

void onPngError(png_structp png, png_const_charp message) {
    static_cast<PngFailure*>(png_get_error_ptr(png))->message = message;
    std::longjmp(png_jmpbuf(png), 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// The surface as rows of RGB bytes, copied under the lock so that drawing
// from another thread cannot tear the picture.
std::vector<uint8_t> surfaceRgb(int& width, int& height) {
    SurfaceBuffer& s = surfaceBuffer();
    std::lock_guard<std::mutex> guard(s.lock);
    width = s.width;
    height = s.height;
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (size_t n = 0; n < s.pixels.size(); ++n) {
        const Rgb c = paletteColour(s.pixels[n]);
        rgb[3 * n] = c.r;
        rgb[3 * n + 1] = c.g;
        rgb[3 * n + 2] = c.b;
    }
    return rgb;
}

// `png` and `info` are not changed after setjmp, so they are still valid
// when an error jumps back to it.
bool encode(FILE* out, const std::vector<uint8_t>& rgb, int width, int height, PngFailure& failure) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, onPngError, onPngWarning);
    if (!png) {
        failure.message = "out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        if (failure.message.empty()) failure.message = "out of memory";
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(&rgb[size_t(y) * width * 3]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writeSurfacePng(const std::string& path, std::string& error) {
    int width = 0, height = 0;
    const std::vector<uint8_t> rgb = surfaceRgb(width, height);
    if (width <= 0 || height <= 0) {
        error = "cannot write " + path + ": the surface is not open";
        return false;
    }
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    // mkstemp makes the file private; give it the mode a plain create would.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    FILE* out = fdopen(fd, "wb");
    if (!out) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        close(fd);
        unlink(temp.c_str());
        return false;
    }
    PngFailure failure;
    bool ok = encode(out, rgb, width, height, failure);
    if (std::fflush(out) != 0 && ok) {
        ok = false;
        failure.message = std::strerror(errno);
    }
    if (std::fclose(out) != 0 && ok) {
        ok = false;
        failure.message = std::strerror(errno);
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        failure.message = std::strerror(errno);
    }
    if (!ok) {
        unlink(temp.c_str());
        error = "cannot write " + path + ": " + failure.message;
    }
    return ok;
}
