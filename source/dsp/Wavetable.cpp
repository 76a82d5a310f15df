#include "Wavetable.h"

#include <fftw3.h>

#include <algorithm>
#include <complex>
#include <mutex>

namespace plumora
{
namespace
{
constexpr int N = WavetableLevel::kTableSize;
constexpr int kBins = N / 2 + 1;

// FFTW plans are made once; executing a plan on new arrays is thread-safe,
// creating one is not.
struct FftPlans
{
    fftw_plan inverse;
    fftw_plan forward;

    static const FftPlans& get()
    {
        static FftPlans plans = []
        {
            std::vector<double> real (N);
            std::vector<fftw_complex> spectrum (kBins);
            return FftPlans {
                fftw_plan_dft_c2r_1d (N, spectrum.data(), real.data(), FFTW_ESTIMATE | FFTW_UNALIGNED),
                fftw_plan_dft_r2c_1d (N, real.data(), spectrum.data(), FFTW_ESTIMATE | FFTW_UNALIGNED),
            };
        }();
        return plans;
    }
};

// Spectrum of one frame as the real and imaginary weights of cos and sin per
// harmonic (index h = 1..1024; index 0 unused): x = sum re_h cos + im_h sin.
struct HarmonicSpectrum
{
    std::vector<double> cosine = std::vector<double> (Wavetable::kMaxHarmonics + 1, 0.0);
    std::vector<double> sine = std::vector<double> (Wavetable::kMaxHarmonics + 1, 0.0);
};

// Synthesises every level of one frame from its spectrum with one inverse FFT per level.
std::vector<std::vector<float>> synthesiseLevels (const HarmonicSpectrum& spectrum)
{
    const auto& plans = FftPlans::get();
    std::vector<fftw_complex> bins (kBins);
    std::vector<double> cycle (N);
    std::vector<std::vector<float>> levels (Wavetable::kNumLevels);

    for (int level = 0; level < Wavetable::kNumLevels; ++level)
    {
        const int highest = Wavetable::harmonicsAtLevel (level);
        for (auto& bin : bins)
            bin[0] = bin[1] = 0.0;

        // The inverse transform doubles every bin below Nyquist; the Nyquist
        // bin (h = 1024) is counted once and only its cosine part exists.
        for (int h = 1; h <= highest; ++h)
        {
            if (h == N / 2)
            {
                bins[static_cast<std::size_t> (h)][0] = spectrum.cosine[static_cast<std::size_t> (h)];
                continue;
            }
            bins[static_cast<std::size_t> (h)][0] = 0.5 * spectrum.cosine[static_cast<std::size_t> (h)];
            bins[static_cast<std::size_t> (h)][1] = -0.5 * spectrum.sine[static_cast<std::size_t> (h)];
        }

        fftw_execute_dft_c2r (plans.inverse, bins.data(), cycle.data());
        levels[static_cast<std::size_t> (level)].assign (cycle.begin(), cycle.end());
    }
    return levels;
}

void fillTable (Wavetable& table, const std::vector<HarmonicSpectrum>& frames)
{
    std::vector<std::vector<std::vector<float>>> cyclesPerLevel (Wavetable::kNumLevels);
    for (const auto& frame : frames)
    {
        auto levels = synthesiseLevels (frame);
        for (int level = 0; level < Wavetable::kNumLevels; ++level)
            cyclesPerLevel[static_cast<std::size_t> (level)].push_back (std::move (levels[static_cast<std::size_t> (level)]));
    }

    table.levels.assign (Wavetable::kNumLevels, {});
    for (int level = 0; level < Wavetable::kNumLevels; ++level)
        table.levels[static_cast<std::size_t> (level)].setFrames (cyclesPerLevel[static_cast<std::size_t> (level)]);
    table.numFrames = static_cast<int> (frames.size());
}

} // namespace

void WavetableLevel::setFrames (const std::vector<std::vector<float>>& cycles)
{
    frameCount = static_cast<int> (cycles.size());
    storage.assign (static_cast<std::size_t> (frameCount) * kStride, 0.0f);

    for (int f = 0; f < frameCount; ++f)
    {
        const auto& cycle = cycles[static_cast<std::size_t> (f)];
        float* destination = storage.data() + static_cast<std::size_t> (f) * kStride + kGuardBefore;
        std::copy_n (cycle.begin(), std::min<std::size_t> (cycle.size(), kTableSize), destination);
        destination[-1] = destination[kTableSize - 1];
        destination[kTableSize] = destination[0];
        destination[kTableSize + 1] = destination[1];
    }
}

void buildFromHarmonics (Wavetable& table, const std::vector<std::vector<float>>& harmonicAmplitudes)
{
    std::vector<HarmonicSpectrum> frames (harmonicAmplitudes.size());
    for (std::size_t f = 0; f < frames.size(); ++f)
    {
        const auto& amplitudes = harmonicAmplitudes[f];
        const auto count = std::min<std::size_t> (amplitudes.size(), Wavetable::kMaxHarmonics);
        for (std::size_t k = 0; k < count; ++k)
            frames[f].sine[k + 1] = amplitudes[k];
    }
    fillTable (table, frames);
}

void buildFromWaveforms (Wavetable& table, const std::vector<std::vector<float>>& cycles)
{
    const auto& plans = FftPlans::get();
    std::vector<double> padded (N);
    std::vector<fftw_complex> bins (kBins);

    std::vector<HarmonicSpectrum> frames (cycles.size());
    for (std::size_t f = 0; f < frames.size(); ++f)
    {
        std::fill (padded.begin(), padded.end(), 0.0);
        std::copy_n (cycles[f].begin(), std::min<std::size_t> (cycles[f].size(), N), padded.begin());
        fftw_execute_dft_r2c (plans.forward, padded.data(), bins.data());

        // The forward transform gives sum x e^(-i w j): its real part is the
        // cosine sum and minus its imaginary part the sine sum.
        for (int h = 1; h <= Wavetable::kMaxHarmonics; ++h)
        {
            frames[f].cosine[static_cast<std::size_t> (h)] = bins[static_cast<std::size_t> (h)][0] / 1024.0;
            frames[f].sine[static_cast<std::size_t> (h)] = -bins[static_cast<std::size_t> (h)][1] / 1024.0;
        }
    }
    fillTable (table, frames);
}

} // namespace plumora
