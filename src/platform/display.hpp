// The window or full screen the game is shown in.
//
// The game draws every frame into a 640 x 400 picture of its own, whatever
// it is shown on; presenting copies that picture to SDL's video surface,
// each of its pixels a square of whole pixels (nearest neighbour, so edges
// stay sharp), centred on black where the video surface is larger. Asked for
// a full screen without a scale the game takes a 640 x 400 mode, which the
// system stretches to the screen as it always has; with a scale it takes the
// desktop's own size and the largest whole scale up to the one asked that
// fits, so every picture pixel is the same size.
//
// F11 (seen by the platform's event watch) switches between window and full
// screen at the next present; the picture, and so everything drawn, stays.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

constexpr std::int32_t kPictureWidth = 640;
constexpr std::int32_t kPictureHeight = 400;
// Beyond this a window would be larger than any screen made today.
constexpr std::int32_t kMaxScale = 8;

struct DisplayOptions {
    bool window = false;
    std::int32_t scale = 0; // 0: none asked
    bool help = false;
};

// The command line: --window, --scale N (or --scale=N, N from 1 to
// kMaxScale), --help. False, with what was wrong, for anything else.
bool parseDisplayOptions(int argc, char** argv, DisplayOptions& options, std::string& why);
// The lines --help prints.
const char* displayUsage();

// Where the picture goes on an output: its scale and its top-left corner.
struct Placement {
    std::int32_t scale = 1;
    std::int32_t x = 0, y = 0;
};
// The largest whole scale from 1 up to wanted at which the picture fits the
// output, centred on it. An output smaller than the picture gets scale 1
// at (0, 0): its top-left corner is shown rather than none of it.
Placement placePicture(std::int32_t outputWidth, std::int32_t outputHeight, std::int32_t wanted);
// Draws the picture on the output at the placement, every pixel a square of
// scale x scale; the rest of the output turns black. Clipped to the output;
// nothing happens unless both surfaces have 32-bit pixels.
void scalePicture(SDL_Surface* picture, SDL_Surface* output, const Placement& at);

class Display {
  public:
    Display() = default;
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // Sets the video mode the options ask for and makes the picture (kept
    // from an earlier open). False, with SDL's reason, when neither the
    // mode nor the picture can be had. The last display opened is the one
    // updateScreen presents.
    bool open(const DisplayOptions& options, std::string& why);
    // Window to full screen or back; when the other mode cannot be had, the
    // display stays as it was and says why.
    bool toggleFullScreen(std::string& why);
    // A full-screen switch asked for with F11 first, then the picture onto
    // the video surface, shown.
    void present();

    // The game's picture, in the video surface's pixel layout; none before
    // open.
    SDL_Surface* picture() const { return picture_; }
    bool fullScreen() const { return fullScreen_; }
    // Where the picture lands on the video surface as it is now.
    Placement placement() const;
    // The display present shows, if any.
    static Display* shown();

  private:
    bool setMode(bool fullScreen, std::string& why);

    SDL_Surface* picture_ = nullptr;
    std::int32_t scale_ = 0;
    bool fullScreen_ = false;
};
