#include "ParameterCatalogue.h"

namespace plumora
{
namespace
{

constexpr ParameterSpec kCatalogue[] = {
#define PLUMORA_PARAMETER(id, name, min, max, def, kind, unit, group) \
    { #id, name, min, max, def, ParameterKind::kind, unit, group },
#include "ParameterTable.inc"
#undef PLUMORA_PARAMETER
};

static_assert (sizeof (kCatalogue) / sizeof (kCatalogue[0]) == kNumParameters);

} // namespace

const ParameterSpec* parameterCatalogue() noexcept { return kCatalogue; }

const ParameterSpec& parameterSpec (ParamID id) noexcept { return kCatalogue[index (id)]; }

std::optional<ParamID> paramIDFromIndex (int row) noexcept
{
    if (row < 0 || row >= kNumParameters)
        return std::nullopt;
    return static_cast<ParamID> (row);
}

std::optional<ParamID> findParamID (std::string_view id) noexcept
{
    for (int row = 0; row < kNumParameters; ++row)
        if (id == kCatalogue[row].id)
            return static_cast<ParamID> (row);
    return std::nullopt;
}

} // namespace plumora
