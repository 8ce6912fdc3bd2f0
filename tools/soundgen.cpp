// Synthesizes the game's sounds and writes them as 16-bit mono WAV files:
// gravelin_soundgen <outdir>. Every run writes the same bytes; the
// noise comes from our own generator with fixed seeds, not from the library's
// distributions, whose output differs between standard libraries.
#include "base/bytes.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;

// xorshift64*: small, fast and the same everywhere.
class Noise {
  public:
    explicit Noise(std::uint64_t seed) : s_(seed ? seed : 1) {}
    // Uniform in [-1, 1).
    double next() {
        s_ ^= s_ >> 12;
        s_ ^= s_ << 25;
        s_ ^= s_ >> 27;
        std::uint64_t v = s_ * 0x2545F4914F6CDD1Dull;
        return double(v >> 11) / double(1ull << 52) - 1.0;
    }

  private:
    std::uint64_t s_;
};

using Signal = std::vector<double>;

void removeDc(Signal& s) {
    if (s.empty()) return;
    double mean = 0;
    for (double v : s)
        mean += v;
    mean /= double(s.size());
    for (double& v : s)
        v -= mean;
}

// Scales so that the loudest sample sits at peak (a fraction of full scale).
void normalize(Signal& s, double peak) {
    double m = 0;
    for (double v : s)
        m = std::max(m, std::abs(v));
    if (m <= 0) return;
    for (double& v : s)
        v *= peak / m;
}

std::vector<std::uint8_t> encodeWav(const Signal& s, int rate) {
    const auto dataBytes = std::uint32_t(s.size() * 2);
    ByteWriter w;
    w.raw("RIFF", 4);
    w.u32(36 + dataBytes);
    w.raw("WAVE", 4);
    w.raw("fmt ", 4);
    w.u32(16);
    w.i16(1); // PCM
    w.i16(1); // mono
    w.u32(std::uint32_t(rate));
    w.u32(std::uint32_t(rate) * 2); // bytes per second
    w.i16(2);                       // bytes per frame
    w.i16(16);                      // bits per sample
    w.raw("data", 4);
    w.u32(dataBytes);
    for (double v : s) {
        long q = std::lround(v * 32767.0);
        w.i16(std::int16_t(std::clamp(q, -32768l, 32767l)));
    }
    return w.bytes();
}

// The engine loop. One firing pulse every kPulse samples (about 80 Hz in the
// file, so about 36 Hz at the race's idle playback rate of 10000 Hz). Each
// pulse is a pressure bump for the body of the sound, a few damped exhaust
// resonances for the bark, and a short burst of filtered noise. The four
// cylinders differ slightly in strength and timing, which gives the lumpy
// idle; the pattern repeats every four pulses. Pulses are added cyclically
// into a loop that holds a whole number of four-pulse cycles, so the tails of
// the last pulses run on into the start and the loop point cannot be heard.
Signal engine() {
    constexpr int kPulse = 276;
    constexpr int kCycles = 20;
    constexpr int kLength = kPulse * 4 * kCycles;
    constexpr int kTail = 3 * kPulse;
    const double gain[4] = {1.00, 0.84, 0.93, 0.78};
    const int offset[4] = {0, 4, -3, 2};
    const double detune[4] = {1.00, 1.02, 0.985, 1.03};
    struct Resonance {
        double hz, decay, amp;
    };
    const Resonance bark[] = {
        {170, 0.014, 0.60}, {430, 0.008, 0.50}, {900, 0.005, 0.35}, {1650, 0.0025, 0.20}};

    Signal s(kLength, 0.0);
    Noise noise(0x6E67696E65ull);
    for (int k = 0; k < 4 * kCycles; ++k) {
        const int c = k % 4;
        const int start = k * kPulse + offset[c];
        double lowpass = 0;
        for (int n = 0; n < kTail; ++n) {
            const double t = double(n) / kRate;
            const double bumpT = 0.0018;
            double v = 0.8 * (t / bumpT) * std::exp(1 - t / bumpT);
            const double attack = 1 - std::exp(-t / 0.0004);
            for (const Resonance& r : bark)
                v += r.amp * attack * std::exp(-t / r.decay) *
                     std::sin(kTwoPi * r.hz * detune[c] * t);
            lowpass += 0.45 * (noise.next() - lowpass);
            v += 0.5 * lowpass * std::exp(-t / 0.006);
            const int at = ((start + n) % kLength + kLength) % kLength;
            s[std::size_t(at)] += gain[c] * v;
        }
    }
    removeDc(s);
    normalize(s, 0.40);
    return s;
}

// A crash: a thump whose pitch falls, a burst of noise, a scatter of debris
// clicks and ringing body-panel partials, each slightly detuned against a
// twin so that they beat. Everything decays exponentially, and the last few
// milliseconds fade to silence so the sample ends without a click.
Signal collision() {
    constexpr int kLength = kRate / 2;
    Signal s(kLength, 0.0);
    Noise noise(0xC0111DEull);

    double phase = 0;
    double lowpass = 0;
    for (int n = 0; n < kLength; ++n) {
        const double t = double(n) / kRate;
        const double hz = 45 + 75 * std::exp(-t / 0.06);
        phase += kTwoPi * hz / kRate;
        double v = 1.0 * std::exp(-t / 0.09) * std::sin(phase);
        lowpass += 0.35 * (noise.next() - lowpass);
        v += 0.9 * std::exp(-t / 0.045) * lowpass;
        s[std::size_t(n)] = v;
    }

    struct Partial {
        double hz, amp, decay;
    };
    const Partial ring[] = {{431, 0.22, 0.22},
                            {1017, 0.18, 0.16},
                            {1583, 0.13, 0.12},
                            {2291, 0.09, 0.09},
                            {3107, 0.06, 0.07}};
    for (const Partial& p : ring) {
        const double phase0 = kPi * (noise.next() + 1);
        for (int n = 0; n < kLength; ++n) {
            const double t = double(n) / kRate;
            const double e = p.amp * std::exp(-t / p.decay);
            s[std::size_t(n)] +=
                e * 0.5 *
                (std::sin(kTwoPi * p.hz * t + phase0) + std::sin(kTwoPi * (p.hz + 3) * t));
        }
    }

    // Debris: short clicks, denser at first.
    for (int i = 0; i < 30; ++i) {
        const double u = (noise.next() + 1) / 2;
        const int at = int(-0.08 * std::log(1 - 0.95 * u) * kRate);
        const double amp = 0.25 * noise.next();
        for (int n = 0; n < 90 && at + n < kLength; ++n)
            s[std::size_t(at + n)] += amp * std::exp(-n / 15.0) * noise.next();
    }

    const int attack = kRate * 15 / 10000; // 1.5 ms
    const int release = kRate / 50;        // 20 ms
    for (int n = 0; n < attack; ++n)
        s[std::size_t(n)] *= double(n) / attack;
    for (int n = 0; n < release; ++n)
        s[std::size_t(kLength - 1 - n)] *= double(n) / release;
    normalize(s, 0.60);
    return s;
}

// Runs a two-pole resonator over a loop twice and keeps the second pass, so
// that the filter enters the loop exactly as it leaves it.
Signal resonateCyclic(const Signal& in, double hz, double q) {
    const double r = std::exp(-kPi * hz / (q * kRate));
    const double a1 = 2 * r * std::cos(kTwoPi * hz / kRate);
    const double a2 = -r * r;
    Signal out(in.size());
    double y1 = 0, y2 = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t n = 0; n < in.size(); ++n) {
            const double y = (1 - r) * in[n] + a1 * y1 + a2 * y2;
            y2 = y1;
            y1 = y;
            out[n] = y;
        }
    }
    return out;
}

// The tyre squeal: a tone near 1.4 kHz with vibrato, a slower wander and a
// rough chatter in its loudness, over band-passed noise around the tone.
// The loop is exactly one second and every modulation completes a whole
// number of periods in it (the tone 1380 cycles, the vibrato 7, the wander 2,
// the chatter 31), so the phases at the end meet those at the start.
Signal skid() {
    constexpr int kLength = kRate;
    constexpr double f0 = 1380;
    Signal noise(kLength);
    Noise rng(0x5C1Dull);
    for (double& v : noise)
        v = rng.next();
    const Signal band = resonateCyclic(noise, f0, 9);

    Signal s(kLength);
    for (int n = 0; n < kLength; ++n) {
        const double t = double(n) / kRate;
        const double phase = kTwoPi * f0 * t + (35.0 / 7.0) * std::sin(kTwoPi * 7 * t) +
                             (20.0 / 2.0) * std::sin(kTwoPi * 2 * t);
        const double tone =
            std::sin(phase) + 0.30 * std::sin(2 * phase) + 0.12 * std::sin(3 * phase + 0.7);
        const double loudness =
            (1 + 0.25 * std::sin(kTwoPi * 31 * t)) * (1 + 0.15 * std::sin(kTwoPi * 1 * t));
        s[std::size_t(n)] = loudness * (tone + 4.0 * band[std::size_t(n)]);
    }
    removeDc(s);
    normalize(s, 0.35);
    return s;
}

// Shapes a short sound: a linear rise over attack samples and a fall to
// silence over release samples, so that it starts and ends without a click.
void fadeEnds(Signal& s, int attack, int release) {
    const int n = int(s.size());
    for (int i = 0; i < attack && i < n; ++i)
        s[std::size_t(i)] *= double(i) / attack;
    for (int i = 0; i < release && i < n; ++i)
        s[std::size_t(n - 1 - i)] *= double(i) / release;
}

// A tone of a few partials (hz times each ratio, at each amplitude) that
// decays with the given time constant.
Signal chime(double seconds, double hz, std::initializer_list<std::pair<double, double>> partials,
             double decay) {
    const int length = int(seconds * kRate);
    Signal s(std::size_t(length), 0.0);
    for (int n = 0; n < length; ++n) {
        const double t = double(n) / kRate;
        double v = 0;
        for (const auto& [ratio, amp] : partials)
            v += amp * std::sin(kTwoPi * hz * ratio * t);
        s[std::size_t(n)] = v * std::exp(-t / decay);
    }
    return s;
}

// The countdown's READY and STEADY: a short, round beep at 660 Hz, its odd
// partials giving it the edge of a start-light buzzer without its harshness.
Signal beep() {
    Signal s = chime(0.18, 660, {{1, 1.0}, {3, 0.22}, {5, 0.08}}, 0.25);
    fadeEnds(s, kRate / 400, kRate / 40);
    normalize(s, 0.45);
    return s;
}

// GO: an octave up from the beep and held three times as long, with a fifth
// above it so that it sounds like an answer to the two before.
Signal go() {
    Signal s = chime(0.55, 1320, {{1, 1.0}, {1.5, 0.45}, {3, 0.12}}, 0.5);
    fadeEnds(s, kRate / 400, kRate / 15);
    normalize(s, 0.50);
    return s;
}

// The menu cursor's tick: 25 ms of a high, quickly dying tone, quiet enough
// for a held key that repeats ten times a second.
Signal menuMove() {
    Signal s = chime(0.025, 1900, {{1, 1.0}, {2.7, 0.3}}, 0.008);
    fadeEnds(s, kRate / 4000, kRate / 400);
    normalize(s, 0.30);
    return s;
}

// A menu choice: two quick rising notes, a fourth apart.
Signal menuSelect() {
    Signal first = chime(0.05, 880, {{1, 1.0}, {2, 0.25}}, 0.04);
    Signal second = chime(0.08, 880 * 4.0 / 3.0, {{1, 1.0}, {2, 0.25}}, 0.05);
    fadeEnds(first, kRate / 4000, kRate / 400);
    fadeEnds(second, kRate / 4000, kRate / 200);
    first.insert(first.end(), second.begin(), second.end());
    normalize(first, 0.40);
    return first;
}

// Fuel running into the tank, looped while a car stands in the pit box: the
// pump's hum (100 Hz and its harmonics) under liquid, which is noise through
// a resonance whose loudness surges with the pump's strokes. The loop is one
// second and the hum and the strokes make whole periods in it (100 and 6),
// and the resonance runs cyclically, so the loop point cannot be heard.
Signal refuel() {
    constexpr int kLength = kRate;
    Signal noise(kLength);
    Noise rng(0xF0E1ull);
    for (double& v : noise)
        v = rng.next();
    const Signal low = resonateCyclic(noise, 420, 4);
    const Signal high = resonateCyclic(noise, 1150, 6);
    Signal s(kLength);
    for (int n = 0; n < kLength; ++n) {
        const double t = double(n) / kRate;
        const double hum = std::sin(kTwoPi * 100 * t) + 0.5 * std::sin(kTwoPi * 200 * t) +
                           0.25 * std::sin(kTwoPi * 300 * t + 0.4);
        const double stroke = 0.6 + 0.4 * std::sin(kTwoPi * 6 * t);
        s[std::size_t(n)] =
            0.35 * hum + stroke * (5.0 * low[std::size_t(n)] + 2.5 * high[std::size_t(n)]);
    }
    removeDc(s);
    normalize(s, 0.30);
    return s;
}

bool write(const std::string& dir, const char* name, const Signal& s) {
    const std::string path = dir + "/" + name;
    if (!writeFileAtomically(path, encodeWav(s, kRate))) {
        std::fprintf(stderr, "gravelin_soundgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gravelin_soundgen <outdir>\n");
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok =
        write(dir, "engine.wav", engine()) && write(dir, "collision.wav", collision()) &&
        write(dir, "skid.wav", skid()) && write(dir, "beep.wav", beep()) &&
        write(dir, "go.wav", go()) && write(dir, "menu_move.wav", menuMove()) &&
        write(dir, "menu_select.wav", menuSelect()) && write(dir, "refuel.wav", refuel());
    return ok ? 0 : 1;
}
