#include "platform/display.hpp"

#include "platform/platform.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

Display* shownDisplay = nullptr;

// The desktop's size, as SDL tells it before the first mode is set (after
// that it tells the mode's); 0 x 0 when it does not know.
std::int32_t desktopWidth = 0, desktopHeight = 0;
bool desktopKnown = false;

void learnDesktop() {
    if (desktopKnown) return;
    desktopKnown = true;
    if (const SDL_VideoInfo* info = SDL_GetVideoInfo()) {
        desktopWidth = info->current_w;
        desktopHeight = info->current_h;
    }
}

bool parseScale(const std::string& text, std::int32_t& scale) {
    if (text.empty() || text.size() > 2) return false;
    std::int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > kMaxScale) return false;
    scale = value;
    return true;
}

} // namespace

bool parseDisplayOptions(int argc, char** argv, DisplayOptions& options, std::string& why) {
    for (int i = 1; i < argc && argv; ++i) {
        const std::string arg = argv[i] ? argv[i] : "";
        std::string scaleText;
        if (arg == "--window") {
            options.window = true;
            continue;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        } else if (arg == "--scale") {
            if (i + 1 >= argc || !argv[i + 1]) {
                why = "--scale needs a number from 1 to " + std::to_string(kMaxScale);
                return false;
            }
            scaleText = argv[++i];
        } else if (arg.rfind("--scale=", 0) == 0) {
            scaleText = arg.substr(8);
        } else {
            why = "Unknown option \"" + arg + "\"";
            return false;
        }
        if (!parseScale(scaleText, options.scale)) {
            why = "--scale takes a whole number from 1 to " + std::to_string(kMaxScale) +
                  ", not \"" + scaleText + "\"";
            return false;
        }
    }
    return true;
}

const char* displayUsage() {
    return "usage: gravelin [--window] [--scale N]\n"
           "  --window    run in a window (F11 switches between window and full screen)\n"
           "  --scale N   show the 640 x 400 picture N times larger, N from 1 to 8\n";
}

Placement placePicture(std::int32_t outputWidth, std::int32_t outputHeight, std::int32_t wanted) {
    std::int32_t scale = std::clamp(wanted, 1, kMaxScale);
    auto fits = [&](std::int32_t s) {
        return kPictureWidth * s <= outputWidth && kPictureHeight * s <= outputHeight;
    };
    while (scale > 1 && !fits(scale))
        --scale;
    if (!fits(scale)) return {1, 0, 0};
    return {scale, (outputWidth - kPictureWidth * scale) / 2,
            (outputHeight - kPictureHeight * scale) / 2};
}

void scalePicture(SDL_Surface* picture, SDL_Surface* output, const Placement& at) {
    if (!picture || !output || !picture->pixels || !output->pixels) return;
    if (picture->format->BytesPerPixel != 4 || output->format->BytesPerPixel != 4) return;
    const std::int64_t scale = std::max<std::int32_t>(at.scale, 1);
    const std::int64_t outW = output->w, pictureW = picture->w, pictureH = picture->h;
    // The first output column the picture covers, and where in the picture
    // (pixel and repeat) that column falls.
    const std::int64_t left = std::clamp<std::int64_t>(at.x, 0, outW);
    const std::int64_t firstPixel = (left - at.x) / scale, firstRepeat = (left - at.x) % scale;
    std::int64_t lastRow = -1; // picture row the previous output row shows
    auto* outBytes = static_cast<std::uint8_t*>(output->pixels);
    const auto* inBytes = static_cast<const std::uint8_t*>(picture->pixels);
    for (std::int64_t oy = 0; oy < output->h; ++oy) {
        auto* row = reinterpret_cast<std::uint32_t*>(outBytes + oy * output->pitch);
        const std::int64_t py = oy >= at.y ? (oy - at.y) / scale : -1;
        if (py < 0 || py >= pictureH) {
            std::fill(row, row + outW, 0u);
            lastRow = -1;
            continue;
        }
        if (py == lastRow) {
            std::memcpy(row, outBytes + (oy - 1) * output->pitch, std::size_t(outW) * 4);
            continue;
        }
        const auto* source = reinterpret_cast<const std::uint32_t*>(inBytes + py * picture->pitch);
        std::fill(row, row + left, 0u);
        std::int64_t ox = left, px = firstPixel, repeat = firstRepeat;
        for (; ox < outW && px < pictureW; ++ox) {
            row[ox] = source[px];
            if (++repeat == scale) {
                repeat = 0;
                ++px;
            }
        }
        std::fill(row + ox, row + outW, 0u);
        lastRow = py;
    }
}

Display::~Display() {
    if (shownDisplay == this) shownDisplay = nullptr;
    if (picture_) SDL_FreeSurface(picture_);
}

Display* Display::shown() {
    return shownDisplay;
}

bool Display::setMode(bool fullScreen, std::string& why) {
    const std::int32_t scale = std::max<std::int32_t>(scale_, 1);
    std::int32_t width = kPictureWidth * scale, height = kPictureHeight * scale;
    // A full screen of whole-pixel squares needs the desktop's own size:
    // any other mode the system stretches to it again, by a fraction.
    if (fullScreen && scale_ > 0 && desktopWidth >= kPictureWidth &&
        desktopHeight >= kPictureHeight) {
        width = desktopWidth;
        height = desktopHeight;
    }
    SDL_Surface* output = SDL_SetVideoMode(width, height, 32, fullScreen ? SDL_FULLSCREEN : 0);
    if (!output) {
        why = SDL_GetError();
        return false;
    }
    fullScreen_ = fullScreen;
    return true;
}

bool Display::open(const DisplayOptions& options, std::string& why) {
    learnDesktop();
    scale_ = options.scale;
    if (!setMode(!options.window, why)) return false;
    if (!picture_) {
        // Raw pixel values go straight to the video surface, so the picture
        // keeps its layout; a 32-bit layout whatever the video surface has.
        const SDL_PixelFormat* f = SDL_GetVideoSurface()->format;
        const bool same = f->BytesPerPixel == 4;
        picture_ = SDL_CreateRGBSurface(
            SDL_SWSURFACE, kPictureWidth, kPictureHeight, 32, same ? f->Rmask : 0x00FF0000u,
            same ? f->Gmask : 0x0000FF00u, same ? f->Bmask : 0x000000FFu, same ? f->Amask : 0u);
        if (!picture_) {
            why = SDL_GetError();
            return false;
        }
    }
    watchWindowEvents();
    shownDisplay = this;
    return true;
}

bool Display::toggleFullScreen(std::string& why) {
    if (setMode(!fullScreen_, why)) return true;
    std::string again;
    if (!setMode(fullScreen_, again)) why += "; the mode before failed too: " + again;
    return false;
}

Placement Display::placement() const {
    const SDL_Surface* output = SDL_GetVideoSurface();
    if (!output) return {};
    return placePicture(output->w, output->h, scale_);
}

void Display::present() {
    if (takeFullScreenSwitch()) {
        std::string why;
        if (!toggleFullScreen(why))
            std::fprintf(stderr, "Cannot switch between window and full screen: %s\n", why.c_str());
    }
    SDL_Surface* output = SDL_GetVideoSurface();
    if (!output || !picture_) return;
    if (SDL_MUSTLOCK(output) && SDL_LockSurface(output) < 0) return;
    scalePicture(picture_, output, placement());
    if (SDL_MUSTLOCK(output)) SDL_UnlockSurface(output);
    SDL_UpdateRect(output, 0, 0, 0, 0);
}
