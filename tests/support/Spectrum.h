#pragma once

#include <vector>

namespace plumora::test
{

// Amplitude of each FFT bin of x (length rounded down to a power of two),
// scaled so a full-scale sine reads 1 in its bin. With window = true a Hann
// window is applied (and compensated).
std::vector<double> amplitudeSpectrum (const std::vector<float>& x, bool window = true);

// Frequency of the strongest bin (parabolic interpolation between bins).
double dominantFrequency (const std::vector<float>& x, double sampleRate);

// Frequency of the strongest periodicity between minHz and maxHz, from the
// autocorrelation (robust for signals whose harmonics outweigh the fundamental).
double periodicFrequency (const std::vector<float>& x, double sampleRate, double minHz, double maxHz);

// Mean squared amplitude per bin in [low, high): a level independent of bandwidth.
double bandDensity (const std::vector<double>& spectrum, double sampleRate, double low, double high);

// Sum of squared amplitudes of the bins whose frequency lies in [low, high).
double bandEnergy (const std::vector<double>& spectrum, double sampleRate, double low, double high);

// Amplitude near frequency: the largest bin within +-2 bins of it.
double amplitudeAt (const std::vector<double>& spectrum, double sampleRate, double frequency);

double rms (const float* x, int n);
inline double rms (const std::vector<float>& x) { return rms (x.data(), static_cast<int> (x.size())); }

double decibels (double amplitude);

} // namespace plumora::test
