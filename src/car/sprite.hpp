// Cars as they are drawn on the track during a race. A Sprite shows one
// frame of an Animation at its position on the drawn track and keeps the
// pixels it covered, so that it can be erased again before it moves; an
// Animation is the set of pre-rotated pictures of one car, made once per
// race. The race's cars know nothing of them: the front end copies a car's
// corner and frame into its sprite before drawing it.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Animation {
  public:
    static constexpr int kMaxFrames = 128;
    virtual ~Animation();
    // Stores the frame and takes ownership; ignored (and left to the
    // caller) once 128 frames are held.
    void addFrame(SDL_Surface* frame);
    SDL_Surface* frameAt(std::int32_t index) const;

    std::int32_t frameCount = 0;
    std::array<SDL_Surface*, kMaxFrames> frames{};
};

// Turns the picture (a BMP pointing up, black transparent) into count
// frames, frame k rotated k x (360 div count) degrees counter-clockwise.
// None when the picture cannot be loaded.
std::unique_ptr<Animation> buildAnimation(const std::string& picture, std::int32_t count);

class Sprite {
  public:
    Sprite() = default;
    Sprite(const Sprite&) = delete;
    Sprite& operator=(const Sprite&) = delete;

    // Saves the pixels under the frame and its shadow, then draws the shadow
    // 4 pixels right and down and the frame. Clipped to the target.
    void draw(SDL_Surface* target);
    // Puts the saved pixels back; nothing when none are saved.
    void restore(SDL_Surface* target);
    // Where the pixels saved by the last draw lie (w 0: none saved).
    SDL_Rect savedRect() const;
    // Where the next draw will put the frame and its shadow.
    SDL_Rect drawnRect() const;

    std::unique_ptr<Animation> animation;
    std::int32_t frame = 0;
    std::int32_t x = 0, y = 0; // where the current frame's corner is drawn
    bool backgroundSaved = false;

  private:
    // One buffer for the whole race, as large as the largest frame needs.
    std::vector<std::uint32_t> background_;
    std::int32_t backgroundX_ = 0, backgroundY_ = 0, backgroundW_ = 0, backgroundH_ = 0;
};
