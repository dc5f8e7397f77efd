#include "MusicGenerator.h"

#include <algorithm>
#include <cmath>
#include <fstream>


namespace assetgen {

namespace {

const double kPi = 3.14159265358979;

double midiToHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

struct Track {
    std::vector<double> left, right;
    explicit Track(size_t n) : left(n, 0.0), right(n, 0.0) {}
};

// Soft pad: detuned sines with slow attack and release, faint octave and fifth partials.
void addPad(Track& t, size_t start, size_t length, int note, double gain, double pan)
{
    const double sr = MusicGenerator::kSampleRate;
    double f = midiToHz(note);
    size_t release = static_cast<size_t>(1.5 * sr);
    double attack = 0.9 * sr;
    for (size_t i = 0; i < length + release && start + i < t.left.size(); ++i) {
        double tt = i / sr;
        double env = std::min(1.0, i / attack);
        if (i > length) env *= std::exp(-3.0 * (i - length) / static_cast<double>(release)) *
                               (1.0 - static_cast<double>(i - length) / release);
        double s = std::sin(2 * kPi * f * tt) + std::sin(2 * kPi * f * 1.003 * tt + 1.0) * 0.8 +
                   std::sin(2 * kPi * f * 0.997 * tt + 2.0) * 0.8 + 0.12 * std::sin(2 * kPi * f * 2.0 * tt);
        // A slow swell keeps the pad breathing.
        s *= 0.85 + 0.15 * std::sin(2 * kPi * 0.25 * tt);
        double v = s * env * gain;
        t.left[start + i] += v * (1.0 - pan) * 0.5 * 2;
        t.right[start + i] += v * (1.0 + pan) * 0.5 * 2;
    }
}

// Plucked bell-like note: a few partials with their own decays and a soft attack.
void addPluck(Track& t, size_t start, int note, double gain, double pan)
{
    const double sr = MusicGenerator::kSampleRate;
    double f = midiToHz(note);
    size_t length = static_cast<size_t>(2.6 * sr);
    for (size_t i = 0; i < length && start + i < t.left.size(); ++i) {
        double tt = i / sr;
        double attack = std::min(1.0, tt / 0.006);
        double s = std::sin(2 * kPi * f * tt) * std::exp(-tt * 2.2) +
                   0.35 * std::sin(2 * kPi * f * 2.0 * tt) * std::exp(-tt * 4.5) +
                   0.12 * std::sin(2 * kPi * f * 3.01 * tt) * std::exp(-tt * 7.0) +
                   0.05 * std::sin(2 * kPi * f * 4.2 * tt) * std::exp(-tt * 12.0);
        double v = s * attack * gain;
        t.left[start + i] += v * (1.0 - pan);
        t.right[start + i] += v * (1.0 + pan);
    }
}

// Schroeder-style reverb: parallel combs into series all-passes, per channel.
std::vector<double> reverb(const std::vector<double>& in, int channelOffset)
{
    const int combs[4] = {1557, 1617, 1491, 1422};
    const int allpasses[2] = {556, 441};
    std::vector<double> out(in.size(), 0.0);
    for (int c = 0; c < 4; ++c) {
        int d = combs[c] + channelOffset;
        std::vector<double> buf(d, 0.0);
        double filt = 0;
        for (size_t i = 0; i < in.size(); ++i) {
            double y = buf[i % d];
            filt = y * 0.6 + filt * 0.4; // damping: highs die sooner
            buf[i % d] = in[i] + filt * 0.82;
            out[i] += y * 0.25;
        }
    }
    for (int a = 0; a < 2; ++a) {
        int d = allpasses[a] + channelOffset;
        std::vector<double> buf(d, 0.0);
        for (size_t i = 0; i < out.size(); ++i) {
            double b = buf[i % d];
            double x = out[i];
            buf[i % d] = x + b * 0.5;
            out[i] = b - x * 0.5;
        }
    }
    return out;
}

} // namespace

std::vector<int16_t> MusicGenerator::render()
{
    // The tune is rendered three times in a row and the middle copy kept: its start then holds
    // the echo and reverb tails of the copy before, exactly what follows the loop's end.
    const size_t L = kLoopSamples;
    const size_t total = 3 * L;
    Track t(total);
    const size_t beat = kSamplesPerBeat;
    const size_t eighth = beat / 2;

    // D major pentatonic (D E F# A B). Chords, two bars each: D, Bm, G, A(sus).
    const int chords[4][3] = {{50, 57, 62}, {47, 54, 62}, {43, 50, 59}, {45, 52, 57}};
    const int arps[4][8] = {{62, 66, 69, 74, 71, 69, 66, 69},
                            {59, 62, 66, 71, 74, 71, 66, 62},
                            {59, 62, 67, 71, 74, 71, 67, 62},
                            {57, 64, 69, 71, 76, 74, 69, 64}};
    // A simple melody on the bell in the second half of each two-bar chord.
    const int melody[4][4] = {{78, 76, 74, 76}, {74, 71, 74, 73}, {71, 74, 76, 74}, {76, 74, 73, 69}};

    for (int copy = 0; copy < 3; ++copy) {
        size_t base = copy * L;
        for (int c = 0; c < 4; ++c) {
            size_t chordStart = base + c * 8 * beat;
            for (int k = 0; k < 3; ++k)
                addPad(t, chordStart, 8 * beat, chords[c][k], 0.045, (k - 1) * 0.4);
            addPad(t, chordStart, 8 * beat, chords[c][0] - 12, 0.05, 0.0);
            for (int bar = 0; bar < 2; ++bar)
                for (int n = 0; n < 8; ++n) {
                    size_t at = chordStart + (bar * 8 + n) * eighth;
                    // Slight humanisation, the same in every copy of the loop.
                    double vel = 0.10 + 0.03 * ((n % 4 == 0) ? 1.0 : 0.0) + 0.01 * std::sin(n * 1.7 + c);
                    addPluck(t, at, arps[c][(n + bar * 3) % 8], vel, std::sin(n * 0.8) * 0.45);
                }
            for (int m = 0; m < 4; ++m) {
                size_t at = chordStart + 4 * beat + m * beat;
                if (m == 3 && c % 2 == 1) continue; // a breath at the end of each phrase
                addPluck(t, at, melody[c][m], 0.075, -0.1);
            }
        }
    }

    // Dotted-eighth ping-pong echo.
    const size_t echo = beat * 3 / 4;
    for (size_t i = echo; i < total; ++i) {
        double l = t.left[i], r = t.right[i];
        t.left[i] = l + 0.33 * t.right[i - echo];
        t.right[i] = r + 0.33 * t.left[i - echo];
    }
    std::vector<double> rl = reverb(t.left, 0), rr = reverb(t.right, 23);

    std::vector<double> mix(2 * L);
    double peak = 0;
    for (size_t i = 0; i < L; ++i) {
        size_t j = L + i;
        mix[2 * i] = t.left[j] * 0.8 + rl[j] * 0.35;
        mix[2 * i + 1] = t.right[j] * 0.8 + rr[j] * 0.35;
        peak = std::max(peak, std::max(std::fabs(mix[2 * i]), std::fabs(mix[2 * i + 1])));
    }
    // Normalise to about -3 dBFS peak.
    double gain = peak > 0 ? 0.70 / peak : 1.0;
    std::vector<int16_t> out(2 * L);
    for (size_t i = 0; i < 2 * L; ++i) {
        double v = std::tanh(mix[i] * gain * 1.1) / std::tanh(1.1) * 32767.0;
        out[i] = static_cast<int16_t>(std::lround(std::max(-32767.0, std::min(32767.0, v))));
    }
    return out;
}

bool MusicGenerator::writeWav(const std::vector<int16_t>& samples, const std::string& path)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) f.put(static_cast<char>((v >> (8 * i)) & 0xFF)); };
    auto put16 = [&](uint16_t v) { f.put(static_cast<char>(v & 0xFF)); f.put(static_cast<char>(v >> 8)); };
    uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    f.write("RIFF", 4);
    put32(36 + dataBytes);
    f.write("WAVEfmt ", 8);
    put32(16);
    put16(1);   // PCM
    put16(2);   // stereo
    put32(kSampleRate);
    put32(kSampleRate * 4);
    put16(4);
    put16(16);
    f.write("data", 4);
    put32(dataBytes);
    for (int16_t s : samples) put16(static_cast<uint16_t>(s));
    return static_cast<bool>(f);
}

} // namespace assetgen
