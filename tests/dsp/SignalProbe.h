#pragma once

// Test signals and level measurements for the DSP module tests.

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace plumora::test
{

constexpr double kTwoPi = 6.283185307179586;

inline std::vector<float> makeSine (double frequency, double sampleRate, int numSamples, float amplitude = 0.5f)
{
    std::vector<float> x (static_cast<size_t> (numSamples));
    for (int i = 0; i < numSamples; ++i)
        x[static_cast<size_t> (i)] = amplitude * static_cast<float> (std::sin (kTwoPi * frequency * i / sampleRate));
    return x;
}

inline std::vector<float> makeImpulse (int numSamples)
{
    std::vector<float> x (static_cast<size_t> (numSamples), 0.0f);
    x[0] = 1.0f;
    return x;
}

// Amplitude of the component at `frequency` in x[start, end), read with a
// Hann window so neighbouring components and partial periods barely leak.
inline double amplitudeAt (const std::vector<float>& x, double frequency, double sampleRate, size_t start = 0,
                           size_t end = 0)
{
    if (end == 0 || end > x.size())
        end = x.size();
    const double length = static_cast<double> (end - start);
    // Rotating phasors instead of a sin and cos per sample.
    const std::complex<double> step = std::polar (1.0, -kTwoPi * frequency / sampleRate);
    const std::complex<double> windowStep = std::polar (1.0, kTwoPi / length);
    std::complex<double> phasor = std::polar (1.0, -kTwoPi * frequency * static_cast<double> (start) / sampleRate);
    std::complex<double> windowPhasor = std::polar (1.0, kTwoPi * 0.5 / length);
    std::complex<double> sum;
    double windowSum = 0.0;
    for (size_t i = start; i < end; ++i)
    {
        const double w = 0.5 - 0.5 * windowPhasor.real();
        sum += w * static_cast<double> (x[i]) * phasor;
        windowSum += w;
        phasor *= step;
        windowPhasor *= windowStep;
    }
    return 2.0 * std::abs (sum) / windowSum;
}

// Magnitude of the frequency response at `frequency`, from an impulse response.
inline double responseAt (const std::vector<float>& impulseResponse, double frequency, double sampleRate)
{
    const std::complex<double> step = std::polar (1.0, -kTwoPi * frequency / sampleRate);
    std::complex<double> phasor = 1.0, sum;
    for (const float h : impulseResponse)
    {
        sum += static_cast<double> (h) * phasor;
        phasor *= step;
    }
    return std::abs (sum);
}

// Frequency of the highest response between low and high: a coarse scan,
// then a fine one around the best point.
inline double peakFrequency (const std::vector<float>& impulseResponse, double sampleRate, double low, double high)
{
    auto scan = [&] (double from, double to, double step)
    {
        double best = from, bestGain = -1.0;
        for (double f = from; f <= to; f += step)
            if (const double gain = responseAt (impulseResponse, f, sampleRate); gain > bestGain)
            {
                bestGain = gain;
                best = f;
            }
        return best;
    };
    const double coarseStep = (high - low) / 200.0;
    const double coarse = scan (low, high, coarseStep);
    return scan (coarse - coarseStep, coarse + coarseStep, coarseStep / 20.0);
}

inline double toDecibels (double gain) { return 20.0 * std::log10 (std::max (gain, 1.0e-30)); }

inline float peakOf (const std::vector<float>& x, size_t start = 0)
{
    float peak = 0.0f;
    for (size_t i = start; i < x.size(); ++i)
        peak = std::max (peak, std::abs (x[i]));
    return peak;
}

inline bool allFinite (const std::vector<float>& x)
{
    return std::all_of (x.begin(), x.end(), [] (float v) { return std::isfinite (v); });
}

inline bool anySubnormal (const std::vector<float>& x)
{
    return std::any_of (x.begin(), x.end(), [] (float v) { return std::fpclassify (v) == FP_SUBNORMAL; });
}

// Gain in dB of `process` (which filters a mono buffer in place) for a sine of
// `frequency`: the second half of one second is measured, after settling.
template <typename Process>
double sineGainDb (Process&& process, double frequency, double sampleRate, float amplitude = 0.25f, double seconds = 1.0)
{
    const int n = static_cast<int> (sampleRate * seconds);
    auto x = makeSine (frequency, sampleRate, n, amplitude);
    process (x.data(), n);
    return toDecibels (amplitudeAt (x, frequency, sampleRate, x.size() / 2) / amplitude);
}

} // namespace plumora::test
