#pragma once

// Structure-aware mutation for the targets that read JSON (presets and the
// S!MPLE data files). Plain byte mutations of a JSON text mostly break its
// syntax, and the reader then stops at the parser; these work on the parsed
// tree instead, so nearly every mutant still parses and reaches the code that
// reads the values.

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>

// libFuzzer's own mutations (and the -dict entries), callable from a custom mutator.
extern "C" std::size_t LLVMFuzzerMutate (std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace plumora::fuzz
{

// The words of one file format: property names the reader looks for, and
// the texts it knows as values (ids, names, scopes).
struct JsonWords
{
    juce::StringArray keys;
    juce::StringArray texts;
};

// For LLVMFuzzerCustomMutator. Usually: parses the bytes as the readers do,
// changes the tree one to three times (a value, a key, an array entry or a
// whole subtree) and writes it out again. One time in five, and whenever the
// bytes do not parse or the result would be too long, libFuzzer mutates the
// bytes as they are, which is what finds faults in the parser itself.
std::size_t mutateJson (std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned int seed, const JsonWords& words);

// For LLVMFuzzerCustomCrossOver: a subtree of the second document put in
// place of a value of the first (texts that do not parse are spliced as
// bytes), or three times in four a mutation of the first alone.
std::size_t crossOverJson (const std::uint8_t* first, std::size_t firstSize, const std::uint8_t* second, std::size_t secondSize,
                           std::uint8_t* out, std::size_t maxOutSize, unsigned int seed, const JsonWords& words);

} // namespace plumora::fuzz
