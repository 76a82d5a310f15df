#pragma once

#include <vector>

namespace plumora
{

// One factory preset as compiled into the plug-in: UTF-8 JSON text of the
// given length (not NUL-terminated by contract) and its path under presets/.
struct FactoryPresetText
{
    const char* text;
    int size;
    const char* path;
};

// The factory bank in its fixed order.
const std::vector<FactoryPresetText>& factoryPresetTexts();

} // namespace plumora
