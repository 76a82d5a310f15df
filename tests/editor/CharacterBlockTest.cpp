// The character blocks on the shipped maps: layout, what a click on a step,
// the animate and the reset buttons do to the sound, their tooltips, the
// drawn state, and "Reset All" on the S!MPLE page.

#include "SectionTestSupport.h"

#include "editor/look/Palette.h"
#include "editor/shell/SimpleEditorContent.h"
#include "editor/simple/CharacterBlockComponent.h"
#include "editor/simple/CharacterGlyphs.h"
#include "simple/CharacterMap.h"
#include "../simple/SimpleTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace plumora;
using Rect = juce::Rectangle<int>;

namespace
{
struct CharacterBlocks : test::SectionFixture
{
    std::vector<CharacterMap> maps = loadCharacterMaps (test::shippedResources());

    std::unique_ptr<CharacterBlockComponent> block (const char* name)
    {
        for (const auto& map : maps)
            if (map.name == name)
            {
                auto made = std::make_unique<CharacterBlockComponent> (context, map);
                made->setBounds (0, 0, 1184, 78);
                return made;
            }
        ADD_FAILURE() << "no map " << name;
        return nullptr;
    }

    bool routingOnto (ParamID target)
    {
        for (const auto& routing : context.routings())
            if (routing.target == index (target))
                return true;
        return false;
    }
};
} // namespace

TEST_F (CharacterBlocks, LayOutNameStepsAndButtons)
{
    auto tone = block ("Tone");
    const auto l = tone->layout();
    EXPECT_EQ (l.name, Rect (0, 0, 70, 78));
    EXPECT_EQ (l.animate, Rect (1154, 0, 30, 37));
    EXPECT_EQ (l.reset, Rect (1154, 41, 30, 37));
    ASSERT_EQ (l.steps.size(), 5u);
    const int boxWidth = (1184 - 70 - 6 - 30 - 6 - 4 * 5) / 5;
    EXPECT_EQ (l.steps[0], Rect (76, 0, boxWidth, 78));
    EXPECT_EQ (l.steps[4].getX(), 76 + 4 * (boxWidth + 5));

    CharacterMap empty;
    empty.name = "Tone";
    CharacterBlockComponent none (context, empty);
    none.setBounds (0, 0, 400, 78);
    EXPECT_TRUE (none.layout().steps.empty());
    const auto before = normalisedValues();
    click (none, { 200.0f, 40.0f });
    EXPECT_EQ (changedBetween (before, normalisedValues()), std::vector<juce::String>()) << "a map without steps: clicks do nothing";
}

TEST_F (CharacterBlocks, AStepClickAppliesTheStepAndShowsIt)
{
    auto tone = block ("Tone");
    click (*tone, tone->layout().steps[3].getCentre().toFloat());
    EXPECT_EQ (tone->getCurrentStep(), 3);
    EXPECT_EQ (hostValue (ParamID::filt_cutoff), 1800.0f);
    EXPECT_EQ (hostValue (ParamID::eq_high_gain), -4.0f);

    // The chosen box is drawn lit.
    const auto picture = tone->createComponentSnapshot (tone->getLocalBounds(), true, 1.0f);
    const auto corner = [&] (int step) { return picture.getPixelAt (tone->layout().steps[static_cast<std::size_t> (step)].getX() + 3, 3); };
    EXPECT_EQ (corner (3), palette::selected);
    EXPECT_EQ (corner (2), palette::blockBox);

    // Clicking it again re-applies it without doubling its routings.
    auto movement = block ("Movement");
    for (int i = 0; i < 3; ++i)
        click (*movement, movement->layout().steps[2].getCentre().toFloat());
    int onto = 0;
    for (const auto& routing : context.routings())
        onto += routing.target == index (ParamID::filt_cutoff) && routing.source == ModSourceID::lfo1 ? 1 : 0;
    EXPECT_EQ (onto, 1);
}

TEST_F (CharacterBlocks, AnimateAndResetWorkFromTheirButtons)
{
    auto space = block ("Space");
    click (*space, space->layout().steps[4].getCentre().toFloat());
    click (*space, space->layout().animate.getCentre().toFloat());
    EXPECT_TRUE (space->isAnimating());
    EXPECT_TRUE (routingOnto (ParamID::reverb_mix));
    EXPECT_EQ (space->tooltipAt (space->layout().animate.getCentre()), "Stop animation");

    click (*space, space->layout().reset.getCentre().toFloat());
    EXPECT_EQ (space->getCurrentStep(), -1);
    EXPECT_FALSE (space->isAnimating());
    for (const auto id : { ParamID::reverb_mix, ParamID::reverb_size, ParamID::delay_mix, ParamID::delay_feedback })
    {
        EXPECT_EQ (hostValue (id), parameterSpec (id).defaultValue) << parameterSpec (id).id;
        EXPECT_FALSE (routingOnto (id)) << parameterSpec (id).id;
    }

    // No LFO free: the animate button leaves the block still.
    for (const auto lfo : { ModSourceID::lfo1, ModSourceID::lfo2, ModSourceID::lfo3, ModSourceID::lfo4 })
        context.addRouting (lfo, ParamID::osc1_pan, 0.1f, ModScope::global);
    auto density = block ("Density");
    click (*density, density->layout().animate.getCentre().toFloat());
    EXPECT_FALSE (density->isAnimating());
}

TEST_F (CharacterBlocks, TooltipsAndDescriptionsSayWhatEachStepDoes)
{
    auto tone = block ("Tone");
    const auto l = tone->layout();
    EXPECT_EQ (tone->tooltipAt (l.reset.getCentre()), "Reset Tone to default");
    EXPECT_EQ (tone->tooltipAt (l.animate.getCentre()), "Animate this dimension with an LFO");
    EXPECT_EQ (tone->tooltipAt (l.name.getCentre()), "Tone - Controls brightness and filter character");
    EXPECT_EQ (tone->tooltipAt (l.steps[2].getCentre()), "Warm - LP filter at 5 kHz with light saturation for analog character");
    EXPECT_EQ (tone->tooltipAt (l.steps[4].getCentre()), "Murky - Aggressive LP at 800 Hz with saturation, lo-fi underwater character");

    CharacterStep rateOnly { "Odd", { { ParamID::lfo1_rate, 2.0f } }, {} };
    EXPECT_EQ (characterStepDescription (CharacterMapKind::movement, rateOnly), " - No modulation, the sound stays completely static");
    EXPECT_TRUE (characterGlyph (CharacterMapKind::none, rateOnly).isEmpty());
    for (const auto kind : { CharacterMapKind::tone, CharacterMapKind::punch, CharacterMapKind::movement, CharacterMapKind::space, CharacterMapKind::density })
    {
        const auto bounds = characterGlyph (kind, rateOnly).getBounds();
        EXPECT_FALSE (bounds.isEmpty() && bounds.getWidth() == 0.0f);
        EXPECT_TRUE (juce::Rectangle<float> (-0.01f, -0.01f, 1.02f, 1.02f).contains (bounds)) << "in unit coordinates";
    }
}

TEST (SimplePageBlocks, ResetAllResetsEveryBlock)
{
    test::EditorFixture f (1);
    auto* page = dynamic_cast<SimpleEditorContent*> (f.editor->page());
    ASSERT_NE (page, nullptr);
    ASSERT_EQ (page->characterBlocks().size(), 5u);
    EXPECT_FALSE (page->dataNote().isVisible()) << "all five maps were found";
    for (auto& block : page->characterBlocks())
        block->setStep (4);
    page->resetAllButton().onClick();
    for (auto& block : page->characterBlocks())
        EXPECT_EQ (block->getCurrentStep(), -1) << block->map().name;
    EXPECT_EQ (f.processor.parameters().getRawParameterValue ("filt_cutoff")->load(), parameterSpec (ParamID::filt_cutoff).defaultValue);
}

// Steps clicked as fast as a hand can while the audio thread renders: each
// click applies a whole step, so what stays is exactly the last one, its
// routings once, and the sound stays finite.
TEST_F (CharacterBlocks, RapidStepClicksWhileRenderingLeaveExactlyTheLastStep)
{
    auto movement = block ("Movement");
    std::atomic<bool> running { true }, finite { true };
    std::thread audio ([&]
    {
        juce::AudioBuffer<float> buffer (2, 256);
        juce::MidiBuffer chord;
        chord.addEvent (juce::MidiMessage::noteOn (1, 60, 0.8f), 0);
        processor.processBlock (buffer, chord);
        while (running)
        {
            juce::MidiBuffer none;
            processor.processBlock (buffer, none);
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                finite = finite && std::isfinite (buffer.getSample (0, i));
        }
    });
    juce::Random random (7);
    int last = 0;
    for (int click = 0; click < 300; ++click)
    {
        last = random.nextInt (5);
        CharacterBlocks::click (*movement, movement->layout().steps[static_cast<std::size_t> (last)].getCentre().toFloat());
    }
    running = false;
    audio.join();
    pushToEngine();

    EXPECT_TRUE (finite);
    EXPECT_EQ (movement->getCurrentStep(), last);
    const auto& step = movement->map().steps[static_cast<std::size_t> (last)];
    for (const auto& setting : step.params)
    {
        EXPECT_FLOAT_EQ (hostValue (setting.id), setting.value) << parameterSpec (setting.id).id;
        EXPECT_FLOAT_EQ (processor.engine().parameterValue (setting.id), setting.value) << parameterSpec (setting.id).id;
    }
    std::size_t fromSteps = 0;
    for (const auto& routing : context.routings())
        fromSteps += routing.source == ModSourceID::lfo1 ? 1u : 0u;
    EXPECT_EQ (fromSteps, step.routings.size()) << "the last step's routings, each once";
}
