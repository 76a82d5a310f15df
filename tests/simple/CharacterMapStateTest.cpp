#include "simple/CharacterMapState.h"
#include "support/Spectrum.h"
#include "SimpleTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace plumora;

namespace
{
CharacterStep step (std::vector<ParameterSetting> params, std::vector<StepRouting> routings = {})
{
    return { "step", std::move (params), std::move (routings) };
}

CharacterMapState mapState (std::vector<CharacterStep> steps)
{
    return CharacterMapState (CharacterMap { "Test", std::move (steps), -1 });
}

// The engine's routings as (source, target) pairs, in list order.
std::vector<std::pair<ModSourceID, int>> connections (const std::vector<ModRouting>& routings)
{
    std::vector<std::pair<ModSourceID, int>> pairs;
    for (const auto& routing : routings)
        pairs.emplace_back (routing.source, routing.target);
    return pairs;
}

constexpr int cutoff = index (ParamID::filt_cutoff);
} // namespace

struct SimpleCharacterMapState : plumora::test::ProcessorFixture
{
    ModMatrix& matrix() { return processor.engine().modMatrix(); }

    // A tone-like map: two steps on cutoff and resonance, each with routings.
    CharacterMapState toneLike()
    {
        return mapState ({
            step ({ { ParamID::filt_cutoff, 2000.0f }, { ParamID::filt_reso, 0.3f } },
                  { { ModSourceID::lfo1, ParamID::filt_cutoff, 0.5f, ModScope::global },
                    { ModSourceID::modenv1, ParamID::filt_reso, 0.4f, ModScope::per_voice } }),
            step ({ { ParamID::filt_cutoff, 9000.0f }, { ParamID::filt_reso, 0.1f } },
                  { { ModSourceID::lfo2, ParamID::osc1_wt_pos, 0.3f, ModScope::global } }),
        });
    }
};

TEST_F (SimpleCharacterMapState, ParametersAreTheSortedUnionOfEveryStepsParameters)
{
    const auto state = mapState ({ step ({ { ParamID::reverb_mix, 0.1f }, { ParamID::filt_cutoff, 1.0f } }),
                                   step ({ { ParamID::osc1_wt_pos, 0.2f }, { ParamID::reverb_mix, 0.3f } }), {} });
    EXPECT_EQ (state.mapParameters, (std::vector<ParamID> { ParamID::osc1_wt_pos, ParamID::filt_cutoff, ParamID::reverb_mix }));
    EXPECT_EQ (state.currentStep, -1);
    EXPECT_FALSE (state.animating);
}

TEST_F (SimpleCharacterMapState, AStepReplacesOnlyTheRoutingsThePreviousStepAdded)
{
    matrix().addRouting (ModSourceID::lfo3, index (ParamID::master_vol), 0.2f, ModScope::global, false);
    matrix().addRouting (ModSourceID::macro2, index (ParamID::osc2_pan), 0.2f, ModScope::global, false);
    auto state = toneLike();
    const std::vector<std::pair<ModSourceID, int>> handMade { { ModSourceID::lfo3, index (ParamID::master_vol) },
                                                              { ModSourceID::macro2, index (ParamID::osc2_pan) } };

    applyStep (state, 0, writer);
    auto expected = handMade;
    expected.insert (expected.end(), { { ModSourceID::lfo1, cutoff }, { ModSourceID::modenv1, index (ParamID::filt_reso) } });
    EXPECT_EQ (connections (routings()), expected);
    EXPECT_EQ (routings()[3].scope, ModScope::per_voice);
    EXPECT_FLOAT_EQ (routings()[3].depth, 0.4f);
    EXPECT_FALSE (routings()[3].audioRate);

    applyStep (state, 1, writer);
    expected = handMade;
    expected.push_back ({ ModSourceID::lfo2, index (ParamID::osc1_wt_pos) });
    EXPECT_EQ (connections (routings()), expected);

    applyStep (state, 1, writer); // the same step again: no duplicates
    EXPECT_EQ (connections (routings()), expected);
    EXPECT_EQ (state.currentStep, 1);
    EXPECT_EQ (state.addedRoutings.size(), 1u);

    for (const int outside : { -1, 2, 1000 })
    {
        applyStep (state, outside, writer);
        EXPECT_EQ (state.currentStep, 1);
        EXPECT_EQ (connections (routings()), expected);
    }

    render (0.02); // the host parameters carry the step's values into the next blocks
    EXPECT_EQ (hostValue (ParamID::filt_cutoff), 9000.0f);
    EXPECT_EQ (engineValue (ParamID::filt_cutoff), 9000.0f);
    EXPECT_FLOAT_EQ (hostValue (ParamID::filt_reso), 0.1f);
}

// A preset made on this page already holds its steps' routings: stepping
// there again must not list them twice (doubling their depth).
TEST_F (SimpleCharacterMapState, AStepReplacesARoutingOfTheSameConnectionInsteadOfAddingASecond)
{
    matrix().addRouting (ModSourceID::lfo1, cutoff, 0.9f, ModScope::per_voice, false);     // same connection as step 0's
    matrix().addRouting (ModSourceID::lfo1, index (ParamID::filt_reso), 0.2f, ModScope::global, false); // same source, other target
    auto state = toneLike();

    applyStep (state, 0, writer);
    const std::vector<std::pair<ModSourceID, int>> expected { { ModSourceID::lfo1, index (ParamID::filt_reso) },
                                                              { ModSourceID::lfo1, cutoff },
                                                              { ModSourceID::modenv1, index (ParamID::filt_reso) } };
    EXPECT_EQ (connections (routings()), expected);
    EXPECT_FLOAT_EQ (routings()[1].depth, 0.5f) << "the step's depth and scope";
    EXPECT_EQ (routings()[1].scope, ModScope::global);
}

TEST_F (SimpleCharacterMapState, ResetRemovesStepAndHandMadeRoutingsOntoMapParametersAndRestoresDefaults)
{
    auto state = toneLike();
    applyStep (state, 0, writer);
    matrix().addRouting (ModSourceID::macro1, cutoff, 0.3f, ModScope::global, false);                   // by hand, onto the map
    matrix().addRouting (ModSourceID::lfo3, index (ParamID::master_vol), 0.2f, ModScope::global, false); // by hand, elsewhere
    toggleAnimation (state, writer);
    ASSERT_TRUE (state.animating);

    resetMap (state, writer);
    EXPECT_EQ (state.currentStep, -1);
    EXPECT_FALSE (state.animating);
    EXPECT_TRUE (state.addedRoutings.empty());
    EXPECT_EQ (connections (routings()), (std::vector<std::pair<ModSourceID, int>> { { ModSourceID::lfo3, index (ParamID::master_vol) } }));

    render (0.02);
    for (const auto id : state.mapParameters)
    {
        EXPECT_EQ (hostValue (id), parameterSpec (id).defaultValue) << parameterSpec (id).id;
        EXPECT_EQ (engineValue (id), parameterSpec (id).defaultValue) << parameterSpec (id).id;
    }
}

TEST_F (SimpleCharacterMapState, AnimationPicksTheMapsMainParameterAndItsRecipe)
{
    struct Case
    {
        std::vector<ParamID> parameters;
        ParamID target;
        float rate, depth;
    };
    const Case cases[] = {
        { { ParamID::reverb_mix, ParamID::filt_cutoff }, ParamID::filt_cutoff, 2.0f, 0.5f },     // lower index first
        { { ParamID::reverb_mix, ParamID::osc1_wt_pos }, ParamID::osc1_wt_pos, 0.1f, 0.6f },
        { { ParamID::chorus_mix, ParamID::osc1_detune }, ParamID::osc1_detune, 0.5f, 0.2f },
        { { ParamID::reverb_size, ParamID::reverb_mix }, ParamID::reverb_mix, 1.0f, 0.4f },
        { { ParamID::amp_attack, ParamID::osc1_unison }, ParamID::osc1_unison, 1.0f, 0.4f },     // no preferred one: the first
        { { ParamID::master_vol }, ParamID::master_vol, 1.0f, 0.3f },
        { { ParamID::osc2_tune, ParamID::lfo1_rate }, ParamID::osc2_tune, 5.0f, 0.05f },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (parameterSpec (c.target).id);
        matrix().replaceRoutings ({});
        std::vector<ParameterSetting> params;
        for (const auto id : c.parameters)
            params.push_back ({ id, parameterSpec (id).defaultValue });
        auto state = mapState ({ step (params) });

        toggleAnimation (state, writer);
        EXPECT_TRUE (state.animating);
        ASSERT_EQ (routings().size(), 1u);
        EXPECT_EQ (routings()[0].source, ModSourceID::lfo1);
        EXPECT_EQ (routings()[0].target, index (c.target));
        EXPECT_FLOAT_EQ (routings()[0].depth, c.depth);
        EXPECT_EQ (routings()[0].scope, ModScope::global);
        EXPECT_FLOAT_EQ (hostValue (ParamID::lfo1_rate), c.rate);
        EXPECT_EQ (hostValue (ParamID::lfo1_depth), 1.0f);

        toggleAnimation (state, writer);
        EXPECT_FALSE (state.animating);
        EXPECT_TRUE (routings().empty());
    }

    auto empty = mapState ({ step ({}) });
    toggleAnimation (empty, writer);
    EXPECT_FALSE (empty.animating) << "a map without parameters has nothing to animate";
    EXPECT_TRUE (routings().empty());
}

TEST_F (SimpleCharacterMapState, AnimationTakesTheLowestFreeSourceAndGivesUpWhenAllAreBusy)
{
    // LFO1 and LFO3 busy: the next animation uses LFO2.
    matrix().addRouting (ModSourceID::lfo1, index (ParamID::osc1_pan), 0.1f, ModScope::global, false);
    matrix().addRouting (ModSourceID::lfo3, index (ParamID::osc1_pan), 0.1f, ModScope::global, false);
    EXPECT_TRUE (startAnimation (ParamID::filt_cutoff, writer));
    EXPECT_EQ (routings().back().source, ModSourceID::lfo2);
    EXPECT_FLOAT_EQ (hostValue (ParamID::lfo2_rate), 2.0f);

    // All four busy: a cutoff map stays still and nothing changes.
    matrix().addRouting (ModSourceID::lfo4, index (ParamID::osc1_pan), 0.1f, ModScope::global, false);
    const auto before = connections (routings());
    const float lfoRate = hostValue (ParamID::lfo4_rate);
    auto tone = mapState ({ step ({ { ParamID::filt_cutoff, 3000.0f } }) });
    toggleAnimation (tone, writer);
    EXPECT_FALSE (tone.animating);
    EXPECT_EQ (connections (routings()), before);
    EXPECT_EQ (hostValue (ParamID::lfo4_rate), lfoRate);

    // A resonance map still animates through a free mod envelope, per voice.
    auto resonance = mapState ({ step ({ { ParamID::filt_reso, 0.2f } }) });
    toggleAnimation (resonance, writer);
    EXPECT_TRUE (resonance.animating);
    EXPECT_EQ (routings().back().source, ModSourceID::modenv1);
    EXPECT_EQ (routings().back().target, index (ParamID::filt_reso));
    EXPECT_FLOAT_EQ (routings().back().depth, 0.5f);
    EXPECT_EQ (routings().back().scope, ModScope::per_voice);

    EXPECT_TRUE (startAnimation (ParamID::filt_reso, writer));
    EXPECT_EQ (routings().back().source, ModSourceID::modenv2);
    EXPECT_FLOAT_EQ (hostValue (ParamID::modenv2_attack), 0.3f);

    const auto full = routings().size();
    EXPECT_FALSE (startAnimation (ParamID::filt_reso, writer)) << "both envelopes and all LFOs busy";
    EXPECT_EQ (routings().size(), full);
}

// With both mod envelopes busy, resonance moves through a free LFO; that LFO
// is set moving (rate and full depth through the host parameters), or an LFO
// at depth 0 would leave the block "animating" with nothing moving.
TEST_F (SimpleCharacterMapState, ResonanceFallsBackToAFreeLfoAndSetsItMoving)
{
    matrix().addRouting (ModSourceID::modenv1, index (ParamID::osc1_pan), 0.1f, ModScope::per_voice, false);
    matrix().addRouting (ModSourceID::modenv2, index (ParamID::osc1_pan), 0.1f, ModScope::per_voice, false);
    matrix().addRouting (ModSourceID::lfo1, index (ParamID::osc1_pan), 0.1f, ModScope::global, false);
    writer.set (ParamID::lfo2_depth, 0.0f);

    EXPECT_TRUE (startAnimation (ParamID::filt_reso, writer));
    EXPECT_EQ (routings().back().source, ModSourceID::lfo2);
    EXPECT_EQ (routings().back().scope, ModScope::global);
    EXPECT_FLOAT_EQ (routings().back().depth, 0.5f);
    EXPECT_FLOAT_EQ (hostValue (ParamID::lfo2_rate), 1.0f);
    EXPECT_FLOAT_EQ (hostValue (ParamID::lfo2_depth), 1.0f);
}

TEST_F (SimpleCharacterMapState, StoppingRemovesEveryRoutingOntoTheMapsParameters)
{
    auto state = toneLike();
    applyStep (state, 0, writer); // LFO1 onto cutoff, ModEnv1 onto resonance
    matrix().addRouting (ModSourceID::lfo4, index (ParamID::master_vol), 0.2f, ModScope::global, false);
    toggleAnimation (state, writer);
    ASSERT_TRUE (state.animating);
    EXPECT_EQ (routings().back().source, ModSourceID::lfo2) << "LFO1 is the step's";

    toggleAnimation (state, writer);
    EXPECT_FALSE (state.animating);
    EXPECT_EQ (connections (routings()), (std::vector<std::pair<ModSourceID, int>> { { ModSourceID::lfo4, index (ParamID::master_vol) } }));
}

// The animation's source settings survive the next block's parameter push:
// with the host's LFO depth at 0 the routing would otherwise move nothing.
TEST_F (SimpleCharacterMapState, AnAnimatedBlockMovesItsTargetInRenderedAudio)
{
    const auto highBandSwing = [this] (bool animate)
    {
        writer.set (ParamID::reverb_bypass, 1.0f);
        writer.set (ParamID::delay_bypass, 1.0f);
        writer.set (ParamID::chorus_bypass, 1.0f);
        writer.set (ParamID::osc1_unison, 1.0f); // one bright voice: no unison beating
        writer.set (ParamID::osc1_wt_pos, 1.0f);
        auto tone = mapState ({ step ({ { ParamID::filt_cutoff, 2000.0f } }) });
        applyStep (tone, 0, writer);
        EXPECT_EQ (hostValue (ParamID::lfo1_depth), 0.0f);
        if (animate)
            toggleAnimation (tone, writer);

        const auto signal = render (1.2, noteOn (57));
        std::vector<double> levels;
        constexpr std::size_t window = 2048;
        for (std::size_t start = 12000; start + window <= signal.left.size(); start += window)
        {
            const std::vector<float> part (signal.left.begin() + static_cast<long> (start), signal.left.begin() + static_cast<long> (start + window));
            const auto spectrum = plumora::test::amplitudeSpectrum (part);
            levels.push_back (plumora::test::bandEnergy (spectrum, kRate, 1500.0, 6000.0));
        }
        render (2.0, noteOff (57));
        const auto [low, high] = std::minmax_element (levels.begin(), levels.end());
        return *high / *low;
    };

    const double still = highBandSwing (false);
    const double animated = highBandSwing (true);
    EXPECT_LT (still, 2.0);
    EXPECT_GT (animated, 10.0);

    EXPECT_EQ (hostValue (ParamID::lfo1_depth), 1.0f);
    EXPECT_FLOAT_EQ (hostValue (ParamID::lfo1_rate), 2.0f);
    EXPECT_EQ (engineValue (ParamID::lfo1_depth), 1.0f);
}

TEST_F (SimpleCharacterMapState, TheResonanceEnvelopesAttackSurvivesTheParameterPush)
{
    auto resonance = mapState ({ step ({ { ParamID::filt_reso, 0.4f } }) });
    toggleAnimation (resonance, writer);
    ASSERT_TRUE (resonance.animating);
    render (0.05);
    EXPECT_FLOAT_EQ (hostValue (ParamID::modenv1_attack), 0.3f);
    EXPECT_FLOAT_EQ (engineValue (ParamID::modenv1_attack), 0.3f);
}
