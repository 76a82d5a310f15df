#pragma once

#include <array>
#include <memory>
#include <vector>

namespace plumora
{

// One band-limit of a wavetable: every frame is one cycle of kTableSize samples.
// Frames are stored with guard samples (one before, two after the cycle) so
// the 4-point interpolation never has to wrap an index.
class WavetableLevel
{
public:
    static constexpr int kTableSize = 2048;
    static constexpr int kGuardBefore = 1;
    static constexpr int kGuardAfter = 2;
    static constexpr int kStride = kTableSize + kGuardBefore + kGuardAfter;

    int tableSize() const noexcept { return kTableSize; }
    int numFrames() const noexcept { return frameCount; }

    // Sample 0 of frame f; [-1] and [kTableSize], [kTableSize + 1] are valid
    // and hold the wrapped neighbours.
    const float* frame (int f) const noexcept { return storage.data() + static_cast<std::size_t> (f) * kStride + kGuardBefore; }

    // Replaces all frames; each input vector is one cycle of kTableSize samples.
    void setFrames (const std::vector<std::vector<float>>& cycles);

private:
    std::vector<float> storage;
    int frameCount = 0;
};

// An immutable, band-limited, multi-frame single-cycle waveform set, shared
// by reference between the engine, its voices and the editor.
struct Wavetable
{
    static constexpr int kNumLevels = 11;
    static constexpr int kMaxHarmonics = 1024;

    std::vector<WavetableLevel> levels;
    int numFrames = 1;

    // Highest harmonic that level holds: 1024 at level 0 down to 1 at level 10.
    static constexpr int harmonicsAtLevel (int level) noexcept
    {
        const int h = kMaxHarmonics >> level;
        return h > 1 ? h : 1;
    }
};

using SharedWavetable = std::shared_ptr<const Wavetable>;

// Additive build: one vector of sine amplitudes per frame (entry k is the
// amplitude of harmonic k + 1).
void buildFromHarmonics (Wavetable& table, const std::vector<std::vector<float>>& harmonicAmplitudes);

// Analysis-resynthesis build: one time-domain cycle per frame (up to 2048
// samples, zero-padded). The DC term is dropped.
void buildFromWaveforms (Wavetable& table, const std::vector<std::vector<float>>& cycles);

} // namespace plumora
