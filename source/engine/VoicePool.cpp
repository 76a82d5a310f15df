#include "VoicePool.h"

namespace plumora
{
namespace
{
constexpr float kAudibleLevel = 0.001f;

} // namespace

int VoicePool::chooseForNewNote() const noexcept
{
    for (int i = 0; i < kSize; ++i)
        if (voices[i].isIdle())
            return i;

    const auto quietest = [this] (bool releasingOnly)
    {
        int best = -1;
        float bestLoudness = 0.0f;
        for (int i = 0; i < kSize; ++i)
        {
            if (releasingOnly && voices[i].state() != Voice::Release)
                continue;
            const auto loudness = voices[i].velocity() * voices[i].amplitudeLevel();
            if (best < 0 || loudness < bestLoudness)
            {
                best = i;
                bestLoudness = loudness;
            }
        }
        return best;
    };

    const auto releasing = quietest (true);
    return releasing >= 0 ? releasing : quietest (false);
}

int VoicePool::loudest() const noexcept
{
    int best = -1;
    for (int i = 0; i < kSize; ++i)
        if (! voices[i].isIdle() && (best < 0 || voices[i].amplitudeLevel() > voices[best].amplitudeLevel()))
            best = i;
    return best;
}

float VoicePool::firstAudibleFrequency() const noexcept
{
    for (const auto& voice : voices)
        if (! voice.isIdle() && voice.amplitudeLevel() > kAudibleLevel)
            return voice.noteFrequency();
    return 0.0f;
}

int VoicePool::findHeld (int note) const noexcept
{
    for (int i = 0; i < kSize; ++i)
        if (voices[i].isHeld() && voices[i].note() == note)
            return i;
    return -1;
}

int VoicePool::findOnChannel (int channel) const noexcept
{
    for (int i = 0; i < kSize; ++i)
        if (! voices[i].isIdle() && voices[i].channel() == channel)
            return i;
    return -1;
}

int VoicePool::countPlaying (int note) const noexcept
{
    int count = 0;
    for (const auto& voice : voices)
        if (! voice.isIdle() && voice.note() == note)
            ++count;
    return count;
}

int VoicePool::activeCount() const noexcept
{
    int count = 0;
    for (const auto& voice : voices)
        if (! voice.isIdle())
            ++count;
    return count;
}

unsigned VoicePool::pitchClassMask() const noexcept
{
    unsigned mask = 0;
    for (const auto& voice : voices)
        if (! voice.isIdle())
            mask |= 1u << pitchClassOf (voice.note());
    return mask;
}

} // namespace plumora
