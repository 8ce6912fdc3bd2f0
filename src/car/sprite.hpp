// Things drawn on the track during a race. A Sprite shows one frame of an
// Animation at its position on the drawn track and keeps the pixels it
// covered, so that it can be erased again before it moves; an Animation is
// the set of pre-rotated pictures of one car, made once per race.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <string>

class Object {
  public:
    virtual ~Object() = default;
    // Nothing in the game calls it; sprites do nothing.
    virtual void idle() = 0;
};

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
Animation* buildAnimation(const std::string& picture, std::int32_t count);

class Sprite : public Object {
  public:
    ~Sprite() override;
    void idle() override {}
    virtual std::int32_t getX() const { return x; }
    virtual std::int32_t getY() const { return y; }

    // Saves the pixels under the frame and its shadow, then draws the shadow
    // 4 pixels right and down and the frame. Clipped to the target.
    void draw(SDL_Surface* target);
    // Puts the saved pixels back; nothing when none are saved.
    void restore(SDL_Surface* target);

    SDL_Surface* background = nullptr; // owned
    std::int32_t backgroundX = 0, backgroundY = 0;
    bool backgroundSaved = false;
    std::int32_t frame = 0;
    Animation* animation = nullptr; // owned by the derived car
    float posX = 0, posY = 0;       // exact position (a car's centre)
    std::int32_t x = 0, y = 0;      // where the current frame's corner is drawn
};
