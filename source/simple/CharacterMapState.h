#pragma once

#include "CharacterMap.h"
#include "ParameterWriter.h"

#include <vector>

namespace plumora
{

// One character block's working state: its map, the chosen step, whether it
// animates, every parameter any of its steps sets (sorted), and the routings
// the chosen step has added to the engine.
struct CharacterMapState
{
    explicit CharacterMapState (CharacterMap characterMap);

    CharacterMap map;
    int currentStep = -1;
    bool animating = false;
    std::vector<ParamID> mapParameters;
    std::vector<StepRouting> addedRoutings;
};

// The block operations. All run on the message thread; each changes the
// engine's routing list in a single hand-over.

// Replaces the previous step's routings with step i's (a routing of the
// same source and target already in the list is replaced too) and sets its
// parameters. An index outside the steps is ignored.
void applyStep (CharacterMapState& state, int stepIndex, const ParameterWriter& writer);

// Makes step i the chosen one without touching the sound, for a restored
// preset that holds the step's values and routings already (and whatever
// the user changed after it); the next step replaces those routings as if
// this one had been applied. An index outside the steps is ignored.
void restoreStep (CharacterMapState& state, int stepIndex);

// No step, no animation: removes the step's routings and every routing onto
// a map parameter (hand-made ones too), and returns the map parameters to
// their defaults.
void resetMap (CharacterMapState& state, const ParameterWriter& writer);

// Stops the animation (removing every routing onto a map parameter), or
// starts one on the map's main parameter.
void toggleAnimation (CharacterMapState& state, const ParameterWriter& writer);

// Adds a routing that animates target from a free LFO (or, for filt_reso, a
// free mod envelope) and sets that source's rate or attack for it. Returns
// false, changing nothing, when no suitable source is free.
bool startAnimation (ParamID target, const ParameterWriter& writer);

} // namespace plumora
