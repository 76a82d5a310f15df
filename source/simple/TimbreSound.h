#pragma once

#include "ParameterWriter.h"
#include "Timbre.h"
#include "dsp/Wavetable.h"

#include <map>
#include <string>
#include <vector>

namespace plumora
{

// The tables the timbres name, built once per id for as long as the cache
// (the timbre library) lives. An id that names no factory table gives the
// "factory:analog_stack" table.
class WavetableCache
{
public:
    SharedWavetable get (const std::string& id);
    std::size_t size() const noexcept { return tables.size(); }

private:
    std::map<std::string, SharedWavetable> tables;
};

// Makes a timbre the sound's starting point: its table on oscillator 1, the
// previous timbre's extra parameters back to their defaults, then the
// timbre's levels and extra parameters. Returns the parameters set from its
// extraParams, which the caller hands back on the next call so extra
// parameters never pile up. Message thread only.
std::vector<ParamID> applyTimbre (const Timbre& timbre, const std::vector<ParamID>& previousExtraParams,
                                  WavetableCache& cache, const ParameterWriter& writer);

// The parameters a timbre's extraParams set: what applyTimbre returns,
// without applying anything.
std::vector<ParamID> extraParamIds (const Timbre& timbre);

} // namespace plumora
