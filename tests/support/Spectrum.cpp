#include "Spectrum.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>

namespace plumora::test
{

std::vector<double> amplitudeSpectrum (const std::vector<float>& x, bool window)
{
    std::size_t n = 1;
    while (n * 2 <= x.size())
        n *= 2;

    std::vector<double> input (n);
    double windowSum = 0.0;
    for (std::size_t i = 0; i < n; ++i)
    {
        const double w = window ? 0.5 - 0.5 * std::cos (6.283185307179586 * static_cast<double> (i) / static_cast<double> (n)) : 1.0;
        input[i] = x[i] * w;
        windowSum += w;
    }

    std::vector<fftw_complex> output (n / 2 + 1);
    const auto plan = fftw_plan_dft_r2c_1d (static_cast<int> (n), input.data(), output.data(), FFTW_ESTIMATE);
    fftw_execute (plan);
    fftw_destroy_plan (plan);

    std::vector<double> amplitudes (n / 2 + 1);
    for (std::size_t k = 0; k < amplitudes.size(); ++k)
        amplitudes[k] = 2.0 * std::hypot (output[k][0], output[k][1]) / windowSum;
    amplitudes[0] *= 0.5;
    return amplitudes;
}

namespace
{
double binWidth (const std::vector<double>& spectrum, double sampleRate)
{
    return sampleRate / (2.0 * static_cast<double> (spectrum.size() - 1));
}
} // namespace

double dominantFrequency (const std::vector<float>& x, double sampleRate)
{
    const auto spectrum = amplitudeSpectrum (x);
    const auto peak = static_cast<std::size_t> (std::max_element (spectrum.begin() + 1, spectrum.end() - 1) - spectrum.begin());
    const double a = std::log (spectrum[peak - 1] + 1e-30), b = std::log (spectrum[peak] + 1e-30), c = std::log (spectrum[peak + 1] + 1e-30);
    const double shift = 0.5 * (a - c) / (a - 2.0 * b + c);
    return (static_cast<double> (peak) + shift) * binWidth (spectrum, sampleRate);
}

double bandEnergy (const std::vector<double>& spectrum, double sampleRate, double low, double high)
{
    const double width = binWidth (spectrum, sampleRate);
    double energy = 0.0;
    for (std::size_t k = 0; k < spectrum.size(); ++k)
    {
        const double f = static_cast<double> (k) * width;
        if (f >= low && f < high)
            energy += spectrum[k] * spectrum[k];
    }
    return energy;
}

double periodicFrequency (const std::vector<float>& x, double sampleRate, double minHz, double maxHz)
{
    const auto shortest = static_cast<std::size_t> (sampleRate / maxHz);
    const auto longest = static_cast<std::size_t> (sampleRate / minHz) + 1;
    const std::size_t span = x.size() - longest - 1;

    const auto correlation = [&] (std::size_t lag)
    {
        double sum = 0.0;
        for (std::size_t i = 0; i < span; ++i)
            sum += static_cast<double> (x[i]) * x[i + lag];
        return sum;
    };

    std::vector<double> r (longest + 2, 0.0);
    double best = 0.0;
    for (std::size_t lag = shortest; lag <= longest + 1; ++lag)
    {
        r[lag] = correlation (lag);
        best = std::max (best, r[lag]);
    }
    // The first lag close to the best one is the period (its multiples score alike).
    for (std::size_t lag = shortest + 1; lag <= longest; ++lag)
        if (r[lag] >= 0.9 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1])
        {
            const double shift = 0.5 * (r[lag - 1] - r[lag + 1]) / (r[lag - 1] - 2.0 * r[lag] + r[lag + 1]);
            return sampleRate / (static_cast<double> (lag) + shift);
        }
    return 0.0;
}

double bandDensity (const std::vector<double>& spectrum, double sampleRate, double low, double high)
{
    const double width = binWidth (spectrum, sampleRate);
    const double bins = std::max (1.0, std::floor ((high - low) / width));
    return bandEnergy (spectrum, sampleRate, low, high) / bins;
}

double amplitudeAt (const std::vector<double>& spectrum, double sampleRate, double frequency)
{
    const auto centre = static_cast<long> (std::lround (frequency / binWidth (spectrum, sampleRate)));
    double best = 0.0;
    for (long k = centre - 2; k <= centre + 2; ++k)
        if (k >= 0 && k < static_cast<long> (spectrum.size()))
            best = std::max (best, spectrum[static_cast<std::size_t> (k)]);
    return best;
}

double rms (const float* x, int n)
{
    double sum = 0.0;
    for (int i = 0; i < n; ++i)
        sum += static_cast<double> (x[i]) * x[i];
    return n > 0 ? std::sqrt (sum / n) : 0.0;
}

double decibels (double amplitude) { return 20.0 * std::log10 (std::max (amplitude, 1e-30)); }

} // namespace plumora::test
