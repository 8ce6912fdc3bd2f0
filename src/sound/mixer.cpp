#include "sound/mixer.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Brings a position at or past the end of a loop back into it; a step may
// span several loops when a short sample is played fast.
double wrap(double position, double length) {
    position -= length * std::floor(position / length);
    return position < length ? position : 0.0;
}

} // namespace

Mixer::Mixer(int outputRate, int channels)
    : outputRate_(outputRate), channels_(std::size_t(std::max(channels, 0))) {}

Mixer::Channel* Mixer::channel(int n) {
    if (n < 0 || n >= channelCount()) return nullptr;
    return &channels_[std::size_t(n)];
}

const Mixer::Channel* Mixer::channel(int n) const {
    if (n < 0 || n >= channelCount()) return nullptr;
    return &channels_[std::size_t(n)];
}

void Mixer::play(int n, const SoundSample* sample) {
    Channel* c = channel(n);
    if (!c) return;
    if (!sample || sample->frameCount() == 0) {
        *c = Channel{};
        return;
    }
    c->sample = sample;
    c->position = 0;
    c->frequency = sample->rate;
    c->paused = false;
}

void Mixer::setPaused(int n, bool paused) {
    if (Channel* c = channel(n)) c->paused = paused;
}

void Mixer::setFrequency(int n, int hz) {
    if (Channel* c = channel(n)) c->frequency = hz;
}

bool Mixer::isPlaying(int n) const {
    const Channel* c = channel(n);
    return c && c->sample;
}

bool Mixer::isPaused(int n) const {
    const Channel* c = channel(n);
    return !c || c->paused;
}

void Mixer::release(const SoundSample* sample) {
    if (!sample) return;
    for (Channel& c : channels_) {
        if (c.sample == sample) c = Channel{};
    }
}

void Mixer::mix(std::int16_t* out, int frameCount) {
    if (!out || frameCount <= 0) return;
    const std::size_t values = std::size_t(frameCount) * 2;
    // Grows once to the device's buffer size and stays there, so the audio
    // thread does not allocate on every callback.
    if (accum_.size() < values) accum_.resize(values);
    std::fill(accum_.begin(), accum_.begin() + std::ptrdiff_t(values), 0);

    for (Channel& c : channels_) {
        if (!c.sample || c.paused || c.frequency <= 0 || c.sample->rate <= 0 || outputRate_ <= 0)
            continue;
        const SoundSample& s = *c.sample;
        const std::size_t count = s.frameCount();
        if (count == 0) { // the sample was emptied under us
            c = Channel{};
            continue;
        }
        const std::int16_t* f = s.frames.data();
        const double step = double(c.frequency) / double(outputRate_);
        const double end = double(count);
        // Anything beyond the end must be caught before it is used as an
        // index; a position is never negative.
        if (!(c.position >= 0) || c.position >= end) {
            if (!s.loop) {
                c = Channel{};
                continue;
            }
            c.position = wrap(std::max(c.position, 0.0), end);
        }
        for (std::size_t i = 0; i < values; i += 2) {
            std::size_t a = std::size_t(c.position);
            if (a >= count) a = count - 1; // rounding at the very end
            const double t = c.position - double(a);
            std::size_t b = a + 1;
            if (b >= count) b = s.loop ? 0 : a; // a one-shot holds its last frame
            const double l = f[2 * a] + (f[2 * b] - f[2 * a]) * t;
            const double r = f[2 * a + 1] + (f[2 * b + 1] - f[2 * a + 1]) * t;
            accum_[i] += std::int32_t(std::lround(l));
            accum_[i + 1] += std::int32_t(std::lround(r));

            c.position += step;
            if (c.position >= end) {
                if (!s.loop) {
                    c = Channel{};
                    break;
                }
                c.position = wrap(c.position, end);
            }
        }
    }

    constexpr std::int32_t lo = std::numeric_limits<std::int16_t>::min();
    constexpr std::int32_t hi = std::numeric_limits<std::int16_t>::max();
    for (std::size_t i = 0; i < values; ++i)
        out[i] = std::int16_t(std::clamp(accum_[i], lo, hi));
}
