// The software mixer behind the sound calls, free of any audio device so that
// it can be tested on known input. Samples are 16-bit stereo frames with the
// rate they were recorded at; each channel plays one sample at its own
// frequency. Mixing sums every playing channel in 32 bits and clamps once.
#pragma once

#include <cstdint>
#include <vector>

struct SoundSample {
    std::vector<std::int16_t> frames; // interleaved left, right
    int rate = 44100;                 // the sample's own rate in Hz
    bool loop = false;
    std::size_t frameCount() const { return frames.size() / 2; }
};

class Mixer {
  public:
    Mixer(int outputRate, int channels);

    int outputRate() const { return outputRate_; }
    int channelCount() const { return int(channels_.size()); }

    // The mixer keeps a pointer to the sample; it must outlive its playing.
    // A null or empty sample stops the channel.
    void play(int channel, const SoundSample* sample);
    void setPaused(int channel, bool paused);
    // Playback rate in Hz. A rate of zero or below holds the channel silent
    // where it stands; a later positive rate resumes from there.
    void setFrequency(int channel, int hz);
    // True while the channel holds a sample that has not run out, paused or
    // not: a paused channel keeps its place.
    bool isPlaying(int channel) const;
    // True for a paused channel and for one outside the opened range.
    bool isPaused(int channel) const;
    // Forgets every channel that plays this sample (before it is freed).
    void release(const SoundSample* sample);

    // Writes frameCount interleaved stereo frames. Channel numbers outside
    // the opened range are ignored everywhere.
    void mix(std::int16_t* out, int frameCount);

  private:
    struct Channel {
        const SoundSample* sample = nullptr;
        double position = 0; // in sample frames
        int frequency = 0;
        bool paused = true;
    };
    Channel* channel(int n);
    const Channel* channel(int n) const;
    int outputRate_;
    std::vector<Channel> channels_;
    std::vector<std::int32_t> accum_;
};
