#include "OscillatorSection.h"

#include "editor/look/Palette.h"
#include "dsp/FactoryWavetables.h"
#include "editor/look/PlumoraLookAndFeel.h"

namespace plumora
{
namespace
{
// The fifteen knobs of each slot, in table order; then the shared three.
const char* const kLabels[OscillatorSection::knobsPerOscillator] = {
    "Tune", "Oct", "Semi", "Uni", "Det", "Drift", "D.Rate", "Level", "Pan", "Width", "Damp", "Bright", "Pick", "Stretch", "Dir",
};
enum Knob { tune, octave, semi, unison, detune, drift, driftRate, level, pan, width, damp, bright, pick, stretch, direction };
constexpr int kShared = 2 * OscillatorSection::knobsPerOscillator; // "Warm", "Glide", "Voice" follow

bool clearsOnComplete (int scope) { return scope == static_cast<int> (PresetScope::complete); }

// "factory:analog_stack" is listed as "analog stack".
juce::String tableLabel (const std::string& name)
{
    return juce::String (name).fromFirstOccurrenceOf ("factory:", false, false).replaceCharacter ('_', ' ');
}
} // namespace

OscillatorSection::OscillatorSection (EditorContext& editorContext)
    : KnobSection (editorContext, "",
                   { { "Tune", ParamID::osc1_tune }, { "Oct", ParamID::osc1_octave }, { "Semi", ParamID::osc1_semi },
                     { "Uni", ParamID::osc1_unison }, { "Det", ParamID::osc1_detune }, { "Drift", ParamID::osc1_drift_amt },
                     { "D.Rate", ParamID::osc1_drift_rate }, { "Level", ParamID::osc1_level }, { "Pan", ParamID::osc1_pan },
                     { "Width", ParamID::osc1_stereo_width }, { "Damp", ParamID::osc1_ks_damping }, { "Bright", ParamID::osc1_ks_brightness },
                     { "Pick", ParamID::osc1_ks_pick_pos }, { "Stretch", ParamID::osc1_ks_stretch }, { "Dir", ParamID::osc1_ks_pick_dir },
                     { "Tune", ParamID::osc2_tune }, { "Oct", ParamID::osc2_octave }, { "Semi", ParamID::osc2_semi },
                     { "Uni", ParamID::osc2_unison }, { "Det", ParamID::osc2_detune }, { "Drift", ParamID::osc2_drift_amt },
                     { "D.Rate", ParamID::osc2_drift_rate }, { "Level", ParamID::osc2_level }, { "Pan", ParamID::osc2_pan },
                     { "Width", ParamID::osc2_stereo_width }, { "Damp", ParamID::osc2_ks_damping }, { "Bright", ParamID::osc2_ks_brightness },
                     { "Pick", ParamID::osc2_ks_pick_pos }, { "Stretch", ParamID::osc2_ks_stretch }, { "Dir", ParamID::osc2_ks_pick_dir },
                     { "Warm", ParamID::osc_warmth }, { "Glide", ParamID::glide_time }, { "Voice", ParamID::voice_mode } }),
      strip (editorContext),
      presets (editorContext, PresetScope::oscillators, "OSC preset...", clearsOnComplete)
{
    setName ("OSC");
    for (int i = 0; i < 2; ++i)
    {
        const auto slot = static_cast<std::size_t> (i);
        tabs[slot].onClick = [this, i] { showOscillator (i); };
        addAndMakeVisible (tabs[slot]);

        auto& menu = modeMenus[slot];
        menu.addItemList ({ "Wavetable", "SuperSaw", "Karplus-Strong" }, 1);
        menu.setColour (juce::ComboBox::backgroundColourId, palette::control);
        menu.setColour (juce::ComboBox::textColourId, palette::text);
        menu.setColour (juce::ComboBox::outlineColourId, palette::invisible);
        if (auto* mode = context.parameter (i == 0 ? ParamID::osc1_mode : ParamID::osc2_mode))
            modeAttachments[slot] = std::make_unique<juce::ComboBoxParameterAttachment> (*mode, menu, context.parameters().undoManager);
        menu.onChange = [this] { updateModeVisibility(); };
        menu.setTitle (parameterSpec (i == 0 ? ParamID::osc1_mode : ParamID::osc2_mode).name);
        addChildComponent (menu);

        modeLabels[slot].setText ("Mode", juce::dontSendNotification);
        modeLabels[slot].setJustificationType (juce::Justification::centredRight);
        modeLabels[slot].setColour (juce::Label::textColourId, palette::textDim);
        addChildComponent (modeLabels[slot]);
    }
    const auto& names = factoryWavetableNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        tables.addItem (tableLabel (names[i]), static_cast<int> (i) + 1);
    tables.setColour (juce::ComboBox::backgroundColourId, palette::control);
    tables.setColour (juce::ComboBox::textColourId, palette::text);
    tables.setColour (juce::ComboBox::outlineColourId, palette::invisible);
    tables.setTextWhenNothingSelected ("Table...");
    tables.setTitle ("Wavetable");
    tables.onChange = [this]
    {
        const int chosen = tables.getSelectedId() - 1;
        if (chosen >= 0 && chosen < static_cast<int> (factoryWavetableNames().size()))
            context.setFactoryWavetable (shown, factoryWavetableNames()[static_cast<std::size_t> (chosen)]);
    };
    addAndMakeVisible (tables);

    addAndMakeVisible (position);
    addAndMakeVisible (strip);
    addAndMakeVisible (presets);
    showOscillator (0);
}

OscillatorSection::~OscillatorSection()
{
    positionAttachment.reset();
    for (auto& attachment : modeAttachments)
        attachment.reset();
}

PlumKnob& OscillatorSection::knobFor (int oscillator, const juce::String& label) const
{
    for (int i = 0; i < knobsPerOscillator; ++i)
        if (label == kLabels[i])
            return knob (static_cast<std::size_t> (oscillator * knobsPerOscillator + i));
    for (std::size_t i = kShared; i < getKnobs().size(); ++i)
        if (knob (i).label() == label)
            return knob (i);
    jassertfalse;
    return knob (0);
}

// The menu is bound to the slot's mode and already shows a value the host
// is setting while its listeners are still being told.
bool OscillatorSection::isString (int oscillator) const
{
    return modeMenus[static_cast<std::size_t> (oscillator)].getSelectedItemIndex() == 2;
}

void OscillatorSection::showOscillator (int oscillator)
{
    shown = oscillator == 1 ? 1 : 0;
    for (int o = 0; o < 2; ++o)
    {
        const bool visible = o == shown;
        for (const int k : { tune, octave, semi, level, pan, width })
            knob (static_cast<std::size_t> (o * knobsPerOscillator + k)).setVisible (visible);
        modeMenus[static_cast<std::size_t> (o)].setVisible (visible);
        modeLabels[static_cast<std::size_t> (o)].setVisible (visible);
        PlumoraLookAndFeel::styleTab (tabs[static_cast<std::size_t> (o)], visible);
    }
    positionAttachment.reset();
    const auto positionId = shown == 0 ? ParamID::osc1_wt_pos : ParamID::osc2_wt_pos;
    if (auto* wavePosition = context.parameter (positionId))
        positionAttachment = std::make_unique<juce::SliderParameterAttachment> (*wavePosition, position, context.parameters().undoManager);
    position.setTitle (parameterSpec (positionId).name);
    strip.showOscillator (shown);
    showPlayingTable();
    updateModeVisibility();
    repaint();
}

void OscillatorSection::updateModeVisibility()
{
    for (int o = 0; o < 2; ++o)
    {
        const bool string = isString (o), visible = o == shown;
        for (const int k : { unison, detune, drift, driftRate })
            knob (static_cast<std::size_t> (o * knobsPerOscillator + k)).setVisible (visible && ! string);
        for (const int k : { damp, bright, pick, stretch, direction })
            knob (static_cast<std::size_t> (o * knobsPerOscillator + k)).setVisible (visible && string);
    }
    resized();
}

// Selects the table the shown slot plays, or nothing for one not listed.
void OscillatorSection::showPlayingTable()
{
    const auto& names = factoryWavetableNames();
    const auto found = std::find (names.begin(), names.end(), context.wavetableId (shown));
    const int id = found == names.end() ? 0 : static_cast<int> (found - names.begin()) + 1;
    if (tables.getSelectedId() != id)
        tables.setSelectedId (id, juce::dontSendNotification);
}

void OscillatorSection::refresh()
{
    KnobSection::refresh();
    showPlayingTable();
    const bool second = shown == 1;
    WavetableFrameStrip::Display display;
    display.position = context.engineValue (second ? ParamID::osc2_wt_pos : ParamID::osc1_wt_pos);
    display.unison = static_cast<int> (context.engineValue (second ? ParamID::osc2_unison : ParamID::osc1_unison));
    display.detune = context.engineValue (second ? ParamID::osc2_detune : ParamID::osc1_detune);
    display.drift = context.engineValue (second ? ParamID::osc2_drift_amt : ParamID::osc1_drift_amt);
    display.level = context.engineValue (second ? ParamID::osc2_level : ParamID::osc1_level);
    display.pan = context.engineValue (second ? ParamID::osc2_pan : ParamID::osc1_pan);
    strip.show (display);
}

void OscillatorSection::resized()
{
    const int b = std::max (getWidth() - 4, 0), c = std::max (getHeight() - 4, 0);
    const int d = std::min (b, b / 4 + 20);
    const int right = 2 + b - d;
    position.setBounds (right, 2, std::min (20, d), c);
    strip.setBounds (right + 20, 2, std::max (d - 20, 0), c);

    // Header: tabs on the left; the preset menu, then the mode pair, from the right.
    const int left = b - d;
    int headerRight = 2 + left;
    const int presetSlot = std::min (120, left);
    headerRight -= presetSlot;
    presets.setBounds (headerRight + 1, 4, std::max (presetSlot - 2, 0), 20);
    const int modeSlot = std::min (std::max (headerRight - 2, 0), 160);
    headerRight -= modeSlot;
    for (int o = 0; o < 2; ++o)
    {
        modeLabels[static_cast<std::size_t> (o)].setBounds (headerRight, 4, std::min (40, modeSlot), 20);
        modeMenus[static_cast<std::size_t> (o)].setBounds (headerRight + 40, 4, std::max (modeSlot - 40 - 2, 0), 20);
    }
    tabs[0].setBounds (3, 3, 58, 22);
    tabs[1].setBounds (63, 3, 58, 22);
    // The table menu takes what the tabs and the mode pair leave.
    tables.setBounds (125, 4, std::max (headerRight - 127, 0), 20);

    // Knob grid: three rows of five cells below the header.
    const juce::Rectangle<int> grid (2, 28, left, std::max (c - 28, 0));
    const int cw = grid.getWidth() / 5, ch = grid.getHeight() / 3;
    const auto cell = [&] (int row, int column) { return juce::Rectangle<int> (grid.getX() + column * cw, grid.getY() + row * ch, cw, ch); };
    for (int o = 0; o < 2; ++o)
    {
        const auto at = [&] (int k) -> PlumKnob& { return knob (static_cast<std::size_t> (o * knobsPerOscillator + k)); };
        const int row1[] = { tune, octave, semi, level, pan };
        for (int column = 0; column < 5; ++column)
            at (row1[column]).setBounds (cell (0, column));
        at (width).setBounds (cell (1, 0));
        const int unisonRow[] = { unison, detune, drift, driftRate };
        const int stringRow[] = { damp, bright, pick, stretch };
        for (int column = 1; column < 5; ++column)
        {
            at (unisonRow[column - 1]).setBounds (cell (1, column));
            at (stringRow[column - 1]).setBounds (cell (1, column));
        }
        at (direction).setBounds (cell (2, 0));
    }
    const int sharedFrom = isString (shown) ? 1 : 0;
    for (int i = 0; i < 3; ++i)
        knob (static_cast<std::size_t> (kShared + i)).setBounds (cell (2, sharedFrom + i));
}

} // namespace plumora
