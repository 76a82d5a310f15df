#include "FactoryWavetables.h"

#include <cmath>
#include <functional>
#include <map>
#include <mutex>

namespace plumora
{
namespace
{
constexpr int kSamples = WavetableLevel::kTableSize;
constexpr double kTwoPi = 6.283185307179586;
const std::string kFallbackName = "factory:analog_stack";

using Frames = std::vector<std::vector<float>>;

// Time-domain frames from a shape v(frameIndex, x) with x = sample / 2048.
Frames sampleShapes (int frameCount, const std::function<double (int, double)>& shape)
{
    Frames frames (static_cast<std::size_t> (frameCount), std::vector<float> (kSamples));
    for (int i = 0; i < frameCount; ++i)
        for (int s = 0; s < kSamples; ++s)
            frames[static_cast<std::size_t> (i)][static_cast<std::size_t> (s)] = static_cast<float> (shape (i, s / static_cast<double> (kSamples)));
    return frames;
}

double roundHalfAway (double v) noexcept { return v < 0.0 ? -std::floor (-v + 0.5) : std::floor (v + 0.5); }
double fraction (double v) noexcept { return std::fmod (v, 1.0); }

Frames harmonicSeries (int frameCount, int harmonics, const std::function<double (int, int)>& amplitude)
{
    Frames frames (static_cast<std::size_t> (frameCount), std::vector<float> (static_cast<std::size_t> (harmonics)));
    for (int i = 0; i < frameCount; ++i)
        for (int n = 1; n <= harmonics; ++n)
            frames[static_cast<std::size_t> (i)][static_cast<std::size_t> (n - 1)] = static_cast<float> (amplitude (i, n));
    return frames;
}

struct Vowel { double f1, f2, f3, b1, b2, b3; };

constexpr Vowel kA { 730, 1090, 2440, 90, 110, 170 };
constexpr Vowel kE { 530, 1840, 2480, 60, 90, 120 };
constexpr Vowel kI { 270, 2290, 3010, 60, 90, 100 };
constexpr Vowel kO { 570, 840, 2410, 60, 80, 120 };
constexpr Vowel kU { 300, 870, 2240, 60, 80, 120 };

// Harmonic amplitudes of a vowel sung on a 100 Hz fundamental.
std::vector<float> vowelSpectrum (const Vowel& v)
{
    std::vector<float> amplitudes (256);
    for (int n = 1; n <= 256; ++n)
    {
        const double f = 100.0 * n;
        const auto peak = [f] (double centre, double width) { return std::exp (-0.5 * std::pow ((f - centre) / width, 2.0)); };
        amplitudes[static_cast<std::size_t> (n - 1)] = static_cast<float> ((peak (v.f1, v.b1) + peak (v.f2, v.b2) + peak (v.f3, v.b3)) / n);
    }
    return amplitudes;
}

Vowel mix (const Vowel& a, const Vowel& b, double t)
{
    const auto lerp = [t] (double x, double y) { return x + (y - x) * t; };
    return { lerp (a.f1, b.f1), lerp (a.f2, b.f2), lerp (a.f3, b.f3), lerp (a.b1, b.b1), lerp (a.b2, b.b2), lerp (a.b3, b.b3) };
}

Wavetable fromHarmonics (const Frames& amplitudes)
{
    Wavetable table;
    buildFromHarmonics (table, amplitudes);
    return table;
}

Wavetable fromWaveforms (const Frames& cycles)
{
    Wavetable table;
    buildFromWaveforms (table, cycles);
    return table;
}

Wavetable sine() { return fromHarmonics ({ { 1.0f } }); }

Wavetable saw() { return fromHarmonics (harmonicSeries (1, 1024, [] (int, int n) { return 1.0 / n; })); }

Wavetable triangle()
{
    return fromHarmonics (harmonicSeries (1, 1023, [] (int, int n)
    {
        if (n % 2 == 0)
            return 0.0;
        const double sign = ((n - 1) / 2) % 2 == 0 ? 1.0 : -1.0;
        return sign / (static_cast<double> (n) * n);
    }));
}

Wavetable analogStack()
{
    return fromHarmonics (harmonicSeries (16, 256, [] (int i, int n) { return 1.0 / std::pow (n, 3.0 - 2.0 * i / 15.0); }));
}

Wavetable square()
{
    return fromWaveforms (sampleShapes (16, [] (int i, double x)
    {
        const double width = 0.5 - 0.45 * i / 15.0;
        return x < width ? 1.0 : -1.0;
    }));
}

Wavetable vocal()
{
    Frames frames;
    for (const auto& vowel : { kA, kE, kI, kO, kU })
        frames.push_back (vowelSpectrum (vowel));
    return fromHarmonics (frames);
}

Wavetable spectralFormant()
{
    const Vowel morph[] = { kU, kO, kA, kE, kI };
    Frames frames;
    for (int i = 0; i < 16; ++i)
    {
        const double a = 4.0 * i / 15.0;
        const int s = std::min (static_cast<int> (std::floor (a)), 3);
        frames.push_back (vowelSpectrum (mix (morph[s], morph[s + 1], a - s)));
    }
    return fromHarmonics (frames);
}

Wavetable fmBell()
{
    constexpr int ratios[] = { 1, 2, 3, 7 };
    Frames frames (16, std::vector<float> (256, 0.0f));
    for (int i = 0; i < 16; ++i)
    {
        const int ratio = ratios[i / 4];
        const double index = (i % 4) + (i / 4);
        for (int j = -20; j <= 20; ++j)
        {
            const int h = 1 + ratio * j;
            if (h == 0 || std::abs (h) > 256)
                continue;
            const double sign = h < 0 ? -1.0 : 1.0;
            frames[static_cast<std::size_t> (i)][static_cast<std::size_t> (std::abs (h) - 1)] += static_cast<float> (sign * besselJ (j, index));
        }
    }
    return fromHarmonics (frames);
}

double ppgShape (int frame, double x)
{
    const double s = std::sin (kTwoPi * x);
    switch (frame)
    {
        case 0:  return 2.0 * x - 1.0;
        case 1:  return 2.0 * (std::floor (4.0 * x) / 3.0) - 1.0;
        case 2:  return 2.0 * (std::floor (8.0 * x) / 7.0) - 1.0;
        case 3:  return (x < 0.05 || (x >= 0.5 && x < 0.55)) ? 1.0 : -0.3;
        case 4:  return 2.0 * fraction (1.5 * x) - 1.0;
        case 5:  return 2.0 * fraction (2.3 * x) - 1.0;
        case 6:  return std::sin (3.0 * s);
        case 7:  return std::sin (6.0 * s);
        case 8:  return s * std::sin (3.0 * kTwoPi * x);
        case 9:  return s * std::sin (5.0 * kTwoPi * x);
        case 10: return std::sin (kTwoPi * x + 3.0 * std::sin (2.0 * kTwoPi * x));
        case 11: return std::sin (kTwoPi * x + 4.0 * std::sin (3.0 * kTwoPi * x));
        case 12: return 16.0 * std::pow (s, 5) - 20.0 * std::pow (s, 3) + 5.0 * s;
        case 13: return 64.0 * std::pow (s, 7) - 112.0 * std::pow (s, 5) + 56.0 * std::pow (s, 3) - 7.0 * s;
        case 14: return roundHalfAway ((2.0 * x - 1.0) * 63.0) / 63.0;
        default: return roundHalfAway ((2.0 * x - 1.0) * 15.0) / 15.0;
    }
}

Wavetable ppgDigital()
{
    return fromWaveforms (sampleShapes (16, [] (int i, double x) { return roundHalfAway (ppgShape (i, x) * 127.0) / 127.0; }));
}

double physicalShape (int frame, double x)
{
    if (frame <= 4)
    {
        constexpr double peaks[] = { 0.15, 0.18, 0.22, 0.28, 0.35 };
        const double peak = peaks[frame];
        return x < peak ? (2.0 / peak) * x - 1.0 : 1.0 - 2.0 * (x - peak) / (1.0 - peak);
    }
    if (frame <= 10)
    {
        // A damped odd-harmonic series: the terms' sines follow the recurrence
        // sin((m + 2) w) = 2 cos(2w) sin(m w) - sin((m - 2) w).
        const int a = frame - 5;
        const int terms = 30 + 8 * a;
        const double decay = 0.1 - 0.015 * a;
        const double w = kTwoPi * x;
        const double twoCos2w = 2.0 * std::cos (2.0 * w);
        double previous = -std::sin (w), current = std::sin (w), v = 0.0;
        for (int k = 0; k < terms; ++k)
        {
            v += std::exp (-k * decay) * current / (2 * k + 1);
            const double next = twoCos2w * current - previous;
            previous = current;
            current = next;
        }
        return v;
    }
    const int b = frame - 11;
    return std::tanh (std::sin (kTwoPi * x) * (1.5 + 0.5 * b) + (0.4 + 0.15 * b));
}

Wavetable physical() { return fromWaveforms (sampleShapes (16, physicalShape)); }

using Recipe = Wavetable (*)();

const std::map<std::string, Recipe>& recipes()
{
    static const std::map<std::string, Recipe> table {
        { "factory:sine", sine },
        { "factory:saw", saw },
        { "factory:triangle", triangle },
        { "factory:analog_stack", analogStack },
        { "factory:square", square },
        { "factory:vocal", vocal },
        { "factory:spectral_formant", spectralFormant },
        { "factory:fm_bell", fmBell },
        { "factory:ppg_digital", ppgDigital },
        { "factory:physical", physical },
    };
    return table;
}

} // namespace

double besselJ (int order, double x) noexcept
{
    const int n = std::abs (order);
    // sum_m (-1)^m / (m! (m+n)!) (x/2)^(2m+n), terms built by their ratio.
    double term = std::pow (x / 2.0, n);
    for (int k = 1; k <= n; ++k)
        term /= k;

    double sum = 0.0;
    const double quarterSquare = -(x * x) / 4.0;
    for (int m = 0; m < 30; ++m)
    {
        sum += term;
        term *= quarterSquare / ((m + 1.0) * (m + 1.0 + n));
    }
    return (order < 0 && n % 2 == 1) ? -sum : sum;
}

const std::vector<std::string>& factoryWavetableNames()
{
    static const std::vector<std::string> names {
        "factory:sine", "factory:saw", "factory:triangle", "factory:analog_stack", "factory:square",
        "factory:vocal", "factory:spectral_formant", "factory:fm_bell", "factory:ppg_digital", "factory:physical",
    };
    return names;
}

bool isFactoryWavetableName (const std::string& name)
{
    return recipes().count (name) != 0;
}

Wavetable buildFactoryWavetable (const std::string& name)
{
    const auto found = recipes().find (name);
    return found != recipes().end() ? found->second() : recipes().at (kFallbackName)();
}

SharedWavetable makeFactoryWavetable (const std::string& name)
{
    static std::mutex cacheLock;
    static std::map<std::string, SharedWavetable> cache;

    const auto& key = isFactoryWavetableName (name) ? name : kFallbackName;

    // Held while building: a second caller for the same table waits for it
    // rather than building it twice.
    std::lock_guard<std::mutex> lock (cacheLock);
    auto& entry = cache[key];
    if (entry == nullptr)
        entry = std::make_shared<const Wavetable> (buildFactoryWavetable (key));
    return entry;
}

} // namespace plumora
