// The arpeggiator strip on the real processor: its folded and expanded
// layouts (S!MPLE page and effects section), what its buttons set and show,
// and its unfolding and step display as the page ticks.

#include "SectionTestSupport.h"

#include "editor/look/Palette.h"
#include "editor/sections/ArpSection.h"

using namespace plumora;
using ArpStrip = test::SectionFixture;

namespace
{
using RectF = juce::Rectangle<float>;
}

// Folded on the S!MPLE page: only the power toggle and "ARP".
TEST_F (ArpStrip, ArpStripFoldedLayout)
{
    ArpSection arp (context);
    arp.setBounds (0, 0, 1184, 28);
    EXPECT_FALSE (arp.isExpanded());
    EXPECT_EQ (arp.preferredHeight(), 28);
    EXPECT_EQ (arp.geometry().power, RectF (0, 0, 26, 24));
    EXPECT_EQ (arp.geometry().title, RectF (32, 0, 30, 24));
    for (const auto& buttons : arp.geometry().buttons)
        EXPECT_TRUE (buttons.empty());
    EXPECT_TRUE (arp.geometry().steps.empty());
    // Presses on where the buttons would be do nothing.
    const auto before = normalisedValues();
    click (arp, { 120.0f, 10.0f });
    EXPECT_TRUE (changedBetween (before, normalisedValues()).empty());
}

// Expanded, at the S!MPLE page's 1184 x 84 and inside the effects section
// (936 x 174): the rows and the sixteen cells that fill the width.
TEST_F (ArpStrip, ArpStripExpandedLayout)
{
    hostSets (ParamID::arp_enabled, 1.0f);
    for (const auto size : { juce::Point<int> (1184, 84), juce::Point<int> (936, 174) })
    {
        ArpSection arp (context);
        arp.setBounds (0, 0, size.x, size.y);
        ASSERT_TRUE (arp.isExpanded());
        EXPECT_EQ (arp.preferredHeight(), 84);
        const auto& g = arp.geometry();
        const RectF labels[] { { 66, 2, 38, 20 }, { 322, 2, 58, 20 }, { 66, 28, 38, 20 }, { 212, 28, 38, 20 }, { 390, 28, 26, 20 } };
        struct Buttons { std::size_t count; float first, pitch, width, y; };
        const Buttons buttons[] { { 6, 108, 35, 32, 2 }, { 8, 384, 41, 38, 2 }, { 4, 108, 25, 22, 28 }, { 4, 254, 33, 30, 28 }, { 2, 420, 29, 26, 28 } };
        for (std::size_t group = 0; group < ArpSection::groupCount; ++group)
        {
            EXPECT_EQ (g.labels[group], labels[group]) << group;
            ASSERT_EQ (g.buttons[group].size(), buttons[group].count);
            for (std::size_t i = 0; i < buttons[group].count; ++i)
                EXPECT_EQ (g.buttons[group][i], RectF (buttons[group].first + buttons[group].pitch * static_cast<float> (i), buttons[group].y,
                                                       buttons[group].width, 20))
                    << group << " " << i;
        }
        ASSERT_EQ (g.steps.size(), 16u);
        const float cell = (static_cast<float> (size.x) - 45.0f) / 16.0f, rest = static_cast<float> (size.y) - 52.0f;
        for (std::size_t i = 0; i < 16; ++i)
        {
            EXPECT_FLOAT_EQ (g.steps[i].getX(), static_cast<float> (i) * (cell + 3.0f));
            EXPECT_FLOAT_EQ (g.steps[i].getY(), 52.0f + (rest - 22.0f) / 2.0f);
            EXPECT_FLOAT_EQ (g.steps[i].getHeight(), 22.0f);
        }
        EXPECT_FLOAT_EQ (g.steps.back().getRight(), static_cast<float> (size.x));
    }
}

// Each button sets its group's parameter to its value, and that value shows
// it as selected.
TEST_F (ArpStrip, ArpStripButtonsSetTheirValuesAndShowThemSelected)
{
    hostSets (ParamID::arp_enabled, 1.0f);
    ArpSection arp (context);
    arp.setBounds (0, 0, 1184, 84);
    struct Case { ArpSection::Group group; std::size_t button; ParamID parameter; float value; };
    const Case cases[] {
        { ArpSection::rate, 0, ParamID::arp_rate, 0.0f },       { ArpSection::rate, 5, ParamID::arp_rate, 5.0f },
        { ArpSection::rate, 3, ParamID::arp_rate, 3.0f },       { ArpSection::pattern, 7, ParamID::arp_pattern, 7.0f },
        { ArpSection::pattern, 4, ParamID::arp_pattern, 4.0f }, { ArpSection::octave, 3, ParamID::arp_octaves, 4.0f },
        { ArpSection::octave, 1, ParamID::arp_octaves, 2.0f },  { ArpSection::fade, 1, ParamID::arp_vel_decay, 0.33f },
        { ArpSection::fade, 3, ParamID::arp_vel_decay, 1.0f },  { ArpSection::fade, 2, ParamID::arp_vel_decay, 0.67f },
        { ArpSection::legato, 1, ParamID::arp_legato, 1.0f },   { ArpSection::legato, 0, ParamID::arp_legato, 0.0f },
    };
    for (const auto& c : cases)
    {
        const auto what = juce::String (parameterSpec (c.parameter).id) + " button " + juce::String (c.button);
        const auto centre = arp.geometry().buttons[static_cast<std::size_t> (c.group)][c.button].getCentre();
        if (std::abs (hostValue (c.parameter) - c.value) > 1.0e-3f)
            expectMovesOnly (c.parameter, [&] { click (arp, centre); }, what);
        EXPECT_NEAR (hostValue (c.parameter), c.value, 1.0e-3f) << what;
        EXPECT_EQ (arp.selectedButton (c.group), static_cast<int> (c.button)) << what;
    }

    // Fade shows the nearest entry, the first of equally near ones.
    const std::pair<float, int> fades[] { { 0.6f, 2 }, { 0.1f, 0 }, { 0.9f, 3 }, { 0.4f, 1 } };
    for (const auto& [value, button] : fades)
    {
        hostSets (ParamID::arp_vel_decay, value);
        EXPECT_EQ (arp.selectedButton (ArpSection::fade), button) << value;
    }
}

// The S!MPLE page's strip grows when the toggle switches the arpeggiator
// on, at the next tick (its parent lays out again), and the step cells
// repaint only when the step pair changes.
TEST_F (ArpStrip, ArpStripUnfoldsAtTheNextTickAndFollowsTheStep)
{
    struct Parent : juce::Component
    {
        ArpSection& strip;
        int layouts = 0;
        explicit Parent (ArpSection& s) : strip (s) { addAndMakeVisible (strip); }
        void resized() override
        {
            ++layouts;
            strip.setBounds (0, 0, getWidth(), strip.preferredHeight());
        }
    };
    ArpSection arp (context);
    Parent page (arp);
    page.setBounds (0, 0, 1184, 200);
    EXPECT_EQ (arp.getHeight(), 28);

    click (arp, arp.geometry().power.getCentre());
    EXPECT_EQ (hostValue (ParamID::arp_enabled), 1.0f);
    const int layoutsBefore = page.layouts;
    arp.updateSteps (-1, 0);
    EXPECT_EQ (page.layouts, layoutsBefore + 1);
    EXPECT_EQ (arp.getHeight(), 84);
    EXPECT_EQ (arp.geometry().steps.size(), 16u);
    arp.updateSteps (-1, 0);
    EXPECT_EQ (page.layouts, layoutsBefore + 1);

    arp.updateSteps (2, 8);
    EXPECT_EQ (arp.shownStep(), 2);
    EXPECT_EQ (arp.shownStepCount(), 8);
    // The playing cell is drawn in the accent colour.
    const auto image = arp.createComponentSnapshot (arp.getLocalBounds());
    const auto cell = arp.geometry().steps[2].getCentre().toInt();
    EXPECT_EQ (image.getPixelAt (cell.x, cell.y), palette::accent);
    const auto pending = arp.geometry().steps[5].getCentre().toInt();
    EXPECT_NE (image.getPixelAt (pending.x, pending.y), palette::accent);

    click (arp, arp.geometry().power.getCentre());
    arp.updateSteps (-1, 0);
    EXPECT_EQ (arp.getHeight(), 28);
}
