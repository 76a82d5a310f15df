#include "LfoSection.h"

#include "editor/look/PlumoraLookAndFeel.h"
#include "editor/shell/OnMessageThread.h"

namespace plumora
{

namespace
{
constexpr ModSourceID lfoSources[] { ModSourceID::lfo1, ModSourceID::lfo2, ModSourceID::lfo3, ModSourceID::lfo4 };
constexpr ParamID shapeParameters[] { ParamID::lfo1_shape, ParamID::lfo2_shape, ParamID::lfo3_shape, ParamID::lfo4_shape };
constexpr int delayRow = 3, fadeRow = 4;
} // namespace

ParamID LfoSection::modeParameter (int lfo) noexcept
{
    constexpr ParamID modes[] { ParamID::lfo1_mode, ParamID::lfo2_mode, ParamID::lfo3_mode, ParamID::lfo4_mode };
    return modes[slot (lfo)];
}

LfoSection::LfoSection (EditorContext& editorContext)
    : KnobSection (editorContext, "LFO",
                   {
                       { "Rate", ParamID::lfo1_rate }, { "Depth", ParamID::lfo1_depth }, { "Shape", ParamID::lfo1_shape },
                       { "Delay", ParamID::lfo1_delay_ms }, { "Fade", ParamID::lfo1_fade_ms },
                       { "Rate", ParamID::lfo2_rate }, { "Depth", ParamID::lfo2_depth }, { "Shape", ParamID::lfo2_shape },
                       { "Delay", ParamID::lfo2_delay_ms }, { "Fade", ParamID::lfo2_fade_ms },
                       { "Rate", ParamID::lfo3_rate }, { "Depth", ParamID::lfo3_depth }, { "Shape", ParamID::lfo3_shape },
                       { "Delay", ParamID::lfo3_delay_ms }, { "Fade", ParamID::lfo3_fade_ms },
                       { "Rate", ParamID::lfo4_rate }, { "Depth", ParamID::lfo4_depth }, { "Shape", ParamID::lfo4_shape },
                       { "Delay", ParamID::lfo4_delay_ms }, { "Fade", ParamID::lfo4_fade_ms },
                   }),
      menu (editorContext, PresetScope::modulation, "Mod preset...",
            [] (int scope) { return scope == static_cast<int> (PresetScope::complete); })
{
    addAndMakeVisible (menu);
    for (int lfo = 0; lfo < lfoCount; ++lfo)
    {
        const auto i = slot (lfo);
        tabs[i] = std::make_unique<juce::TextButton> (juce::String (lfo + 1));
        tabs[i]->onClick = [this, lfo] { showLfo (lfo); };
        addAndMakeVisible (*tabs[i]);

        modeButtons[i] = std::make_unique<juce::TextButton> ("Global");
        modeButtons[i]->onClick = [this, lfo] { toggleMode (lfo); };
        addChildComponent (*modeButtons[i]);
        refreshModeButton (lfo);

        handles[i] = std::make_unique<ModSourceDragHandle> (lfoSources[i]);
        addChildComponent (*handles[i]);
        shapes[i] = std::make_unique<LfoShapeEditor> (editorContext, lfo);
        addChildComponent (*shapes[i]);
    }
    context.presets().addListener (this);
    showLfo (0);
}

LfoSection::~LfoSection() { context.presets().removeListener (this); }

void LfoSection::showLfo (int lfo)
{
    shown = static_cast<int> (slot (lfo));
    for (int n = 0; n < lfoCount; ++n)
    {
        const bool visible = n == shown;
        const auto i = slot (n);
        for (int row = 0; row < knobsPerLfo; ++row)
            lfoKnob (n, row).setVisible (visible);
        modeButtons[i]->setVisible (visible);
        handles[i]->setVisible (visible);
        shapes[i]->setVisible (visible);
        PlumoraLookAndFeel::styleTab (*tabs[i], visible);
    }
    resized();
    repaint();
}

// The button reads what the engine plays, and the engine hears the switch at
// once so the next block already runs the LFO the new way.
void LfoSection::toggleMode (int lfo)
{
    const auto mode = modeParameter (lfo);
    context.setParameterValueNow (mode, context.engineValue (mode) > 0.5f ? 0.0f : 1.0f);
    refreshModeButton (lfo);
}

void LfoSection::refreshModeButton (int lfo)
{
    const int perVoice = context.engineValue (modeParameter (lfo)) > 0.5f ? 1 : 0;
    auto& shownMode = modeShown[slot (lfo)];
    if (perVoice == shownMode)
        return;
    shownMode = perVoice;
    auto& button = *modeButtons[slot (lfo)];
    button.setButtonText (perVoice == 1 ? "Per-Voice" : "Global");
    PlumoraLookAndFeel::styleTab (button, perVoice == 1);
}

void LfoSection::refresh()
{
    KnobSection::refresh();
    for (int lfo = 0; lfo < lfoCount; ++lfo)
    {
        shapes[slot (lfo)]->setShape (static_cast<int> (context.engineValue (shapeParameters[slot (lfo)])));
        refreshModeButton (lfo);
    }
}

void LfoSection::presetLoaded (int scope)
{
    if (scope != static_cast<int> (PresetScope::complete))
        return;
    onMessageThread (*this, [this]
    {
        for (int lfo = 0; lfo < lfoCount; ++lfo)
            refreshModeButton (lfo);
    });
}

void LfoSection::resized()
{
    const int innerWidth = getWidth() - 4, bodyHeight = getHeight() - 4 - 14;
    const int menuWidth = std::min (innerWidth, 110);
    menu.setBounds (innerWidth - menuWidth + 2, 0, menuWidth, 18);

    const int tabPitch = bodyHeight / lfoCount;
    for (int lfo = 0; lfo < lfoCount; ++lfo)
        tabs[slot (lfo)]->setBounds (3, 17 + lfo * tabPitch, 26, tabPitch - 2);

    // Three strips right of the tabs: knobs and handle, mode and timing, shape.
    const int stripHeight = static_cast<int> (bodyHeight * 0.28);
    juce::Rectangle<int> content (30, 16, innerWidth - 28, bodyHeight);
    const auto shapeStrip = content.removeFromBottom (stripHeight);
    auto timingStrip = content.removeFromBottom (stripHeight);
    auto topStrip = content;

    const auto modeArea = timingStrip.removeFromLeft (62);
    const auto handleArea = topStrip.removeFromLeft (40);
    const int third = topStrip.getWidth() / 3, half = timingStrip.getWidth() / 2;
    for (int lfo = 0; lfo < lfoCount; ++lfo)
    {
        const auto i = slot (lfo);
        handles[i]->setBounds (handleArea);
        for (int row = 0; row < 3; ++row)
            lfoKnob (lfo, row).setBounds (topStrip.getX() + row * third, topStrip.getY(), third, topStrip.getHeight());
        modeButtons[i]->setBounds (modeArea.getX() + 1, modeArea.getY() + 3, 60, 38);
        lfoKnob (lfo, delayRow).setBounds (timingStrip.withWidth (half));
        lfoKnob (lfo, fadeRow).setBounds (timingStrip.withTrimmedLeft (half).withWidth (half));
        shapes[i]->setBounds (shapeStrip);
    }
}

} // namespace plumora
