#include "player/demo/Soundtrack.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "player/demo/StereoScene.h"

namespace demo {
namespace {

constexpr double kPi = std::numbers::pi;

// A minor, F major, C major, G major, four beats each; MIDI note numbers.
constexpr int kChords[][3] = {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}};
constexpr int kBeatsPerChord = 4;
// The arpeggio walks each chord up and down, an octave higher, two notes a beat.
constexpr int kArpeggio[] = {0, 1, 2, 1};

double Frequency(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// Equal-power panning: pan -1 is all left, 1 all right.
void AddPanned(std::vector<float>& out, size_t frame, double value, double pan) {
    const double angle = (pan + 1) * kPi / 4;
    out[2 * frame] += float(value * std::cos(angle));
    out[2 * frame + 1] += float(value * std::sin(angle));
}

void AddPad(std::vector<float>& out, int rate, double beat) {
    const size_t frames = out.size() / 2;
    const double chordSeconds = beat * kBeatsPerChord;
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const int chord = int(t / chordSeconds);
        const double within = t - chord * chordSeconds;
        // Each chord swells in and hands over to the next without a click.
        const double swell = std::min(1.0, within / 0.4) * std::min(1.0, (chordSeconds - within) / 0.3 + 0.2);
        double value = 0;
        for (int note : kChords[chord % 4]) {
            const double f = Frequency(note - 12);
            value += std::sin(2 * kPi * f * t) + 0.3 * std::sin(4 * kPi * f * t) + 0.12 * std::sin(6 * kPi * f * t);
        }
        const double drift = 0.35 * std::sin(2 * kPi * t / 7);
        AddPanned(out, i, 0.045 * swell * value, drift);
    }
}

void AddPluck(std::vector<float>& out, int rate, double start, double frequency, double loudness, double pan) {
    const size_t first = size_t(start * rate);
    const size_t length = size_t(0.9 * rate);
    for (size_t i = 0; i < length && first + i < out.size() / 2; ++i) {
        const double t = double(i) / rate;
        const double envelope = std::min(1.0, t / 0.004) * std::exp(-t * 5.5);
        const double tone = std::sin(2 * kPi * frequency * t) +
                            0.45 * std::exp(-t * 9) * std::sin(4 * kPi * frequency * t) +
                            0.2 * std::exp(-t * 14) * std::sin(6 * kPi * frequency * t);
        AddPanned(out, first + i, loudness * envelope * tone, pan);
    }
}

void AddArpeggio(std::vector<float>& out, int rate, double beat, double seconds) {
    const double step = beat / 2;
    for (int k = 0; k * step < seconds - 0.5; ++k) {
        const int chord = int(k * step / (beat * kBeatsPerChord));
        const int note = kChords[chord % 4][kArpeggio[k % 4]] + 12;
        const double pan = 0.5 * std::sin(k * 0.7);
        AddPluck(out, rate, k * step, Frequency(note), k % 2 ? 0.07 : 0.1, pan);
    }
}

// A soft low thump that falls in pitch, like a rubber ball on a floor.
void AddThump(std::vector<float>& out, int rate, const Bounce& bounce) {
    const size_t first = size_t(bounce.seconds * rate);
    double phase = 0;
    for (size_t i = 0; i < size_t(0.25 * rate) && first + i < out.size() / 2; ++i) {
        const double t = double(i) / rate;
        phase += 2 * kPi * (70 + 130 * std::exp(-t * 30)) / rate;
        const double envelope = std::min(1.0, t / 0.002) * std::exp(-t * 22);
        AddPanned(out, first + i, 0.38 * envelope * std::sin(phase), bounce.pan);
    }
}

}  // namespace

std::vector<float> MakeSoundtrack(int sampleRate, double seconds) {
    std::vector<float> out(2 * size_t(seconds * sampleRate), 0.0f);
    const double beat = kBounceSeconds / 2;  // the thumps fall on every other beat
    AddPad(out, sampleRate, beat);
    AddArpeggio(out, sampleRate, beat, seconds);
    for (const Bounce& bounce : BouncesUntil(seconds)) AddThump(out, sampleRate, bounce);
    // Fade in and out, and keep every sample inside the range.
    const size_t frames = out.size() / 2;
    const size_t fade = size_t(0.6 * sampleRate);
    for (size_t i = 0; i < frames; ++i) {
        const double gain = 1.5 * std::min({1.0, double(i) / fade, double(frames - i) / fade});
        for (int c = 0; c < 2; ++c) out[2 * i + c] = float(std::clamp(out[2 * i + c] * gain, -1.0, 1.0));
    }
    return out;
}

}  // namespace demo
