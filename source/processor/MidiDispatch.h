#pragma once

#include <cstdint>

namespace plumora
{

class SynthEngine;

// Decodes one raw MIDI message and calls the matching engine entry point.
// Messages the engine has no use for (program change, system messages,
// truncated data) are ignored.
void dispatchMidiMessage (SynthEngine& engine, const std::uint8_t* data, int size) noexcept;

} // namespace plumora
