#include "TimbreSound.h"

#include "dsp/FactoryWavetables.h"

namespace plumora
{
namespace
{
const std::string kFallbackWavetable = "factory:analog_stack";
constexpr float kOsc2LevelWhenEnabled = 0.5f;

// The name the installed table really has, so a saved sound names it.
std::string factoryNameFor (const std::string& id)
{
    return isFactoryWavetableName (id) ? id : kFallbackWavetable;
}
} // namespace

SharedWavetable WavetableCache::get (const std::string& id)
{
    auto& table = tables[id];
    if (table == nullptr)
        table = makeFactoryWavetable (id);
    return table;
}

std::vector<ParamID> applyTimbre (const Timbre& timbre, const std::vector<ParamID>& previousExtraParams,
                                  WavetableCache& cache, const ParameterWriter& writer)
{
    const auto id = timbre.wavetable.toStdString();
    if (auto table = cache.get (id))
        writer.engine().setWavetable (0, std::move (table), factoryNameFor (id));

    for (const auto previous : previousExtraParams)
        writer.setToDefault (previous);

    writer.set (ParamID::osc1_wt_pos, timbre.defaultWtPosition);
    writer.set (ParamID::sub_level, timbre.subLevel);
    writer.set (ParamID::noise_level, timbre.noiseLevel);
    writer.set (ParamID::osc2_level, timbre.osc2Enabled ? kOsc2LevelWhenEnabled : 0.0f);

    for (const auto& setting : timbre.extraParams)
        writer.set (setting.id, setting.value);
    return extraParamIds (timbre);
}

std::vector<ParamID> extraParamIds (const Timbre& timbre)
{
    std::vector<ParamID> ids;
    ids.reserve (timbre.extraParams.size());
    for (const auto& setting : timbre.extraParams)
        ids.push_back (setting.id);
    return ids;
}

} // namespace plumora
