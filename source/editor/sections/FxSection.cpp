#include "FxSection.h"

#include <tuple>

#include "editor/look/Palette.h"
#include "editor/look/PlumoraLookAndFeel.h"

namespace plumora
{

namespace
{
const EffectTabInfo& tabInfo (int tab) { return effectTabs()[static_cast<std::size_t> (juce::jlimit (0, effectTabCount - 1, tab))]; }
constexpr int chorusTab = 2;
constexpr int chorusRateKnob = 7, chorusDepthKnob = 8;

bool clearsEffectsMenu (int scope)
{
    return scope == static_cast<int> (PresetScope::complete)
           || (scope >= static_cast<int> (PresetScope::effects) && scope <= static_cast<int> (PresetScope::effect_eq));
}
} // namespace

FxSection::FxSection (EditorContext& editorContext)
    : KnobSection (editorContext, "FX",
                   {
                       { "Pos", ParamID::autofilter_position }, { "Rate", ParamID::autofilter_rate },
                       { "Depth", ParamID::autofilter_depth }, { "Mix", ParamID::autofilter_mix }, { "Reso", ParamID::autofilter_reso },
                       { "Drive", ParamID::dist_drive }, { "Mix", ParamID::dist_mix },
                       { "Rate", ParamID::chorus_rate }, { "Depth", ParamID::chorus_depth }, { "Mix", ParamID::chorus_mix },
                       { "Left", ParamID::delay_time_l }, { "Right", ParamID::delay_time_r }, { "Feedback", ParamID::delay_feedback },
                       { "Mix", ParamID::delay_mix }, { "Sync", ParamID::delay_sync }, { "Div", ParamID::delay_division },
                       { "Size", ParamID::reverb_size }, { "Damp", ParamID::reverb_damp }, { "Mix", ParamID::reverb_mix },
                       { "PreDly", ParamID::reverb_pre_delay },
                       { "Low", ParamID::eq_low_gain }, { "Mid", ParamID::eq_mid_gain }, { "High", ParamID::eq_high_gain },
                   }),
      arp (editorContext),
      menu (editorContext, PresetScope::effects, juce::String (tabInfo (0).shortName) + " preset...", clearsEffectsMenu,
            [this] (const PresetDocument& document) { return document.effectTarget == tabInfo (shown).effectId; })
{
    for (int tab = 0; tab < effectTabCount; ++tab)
        records[static_cast<std::size_t> (tab)].shortName = tabInfo (tab).shortName;

    titleLabel.setColour (juce::Label::textColourId, palette::text);
    titleLabel.setFont (palette::font (14.0f));
    titleLabel.setInterceptsMouseClicks (false, false);
    addAndMakeVisible (titleLabel);

    power.onClick = [this] { toggleBypass (shown); };
    addAndMakeVisible (power);
    for (auto* button : { &classicButton, &ensembleButton })
    {
        addChildComponent (*button);
    }
    classicButton.onClick = [this] { setChorusMode (0); };
    ensembleButton.onClick = [this] { setChorusMode (1); };

    arp.setForcedExpanded();
    addChildComponent (arp);
    addAndMakeVisible (menu);

    selectTab (0);
}

bool FxSection::isEnsemble() const { return context.engineValue (ParamID::chorus_mode) > 0.5f; }

void FxSection::selectTab (int tab)
{
    if (tab < 0 || tab >= effectTabCount)
        return;
    shown = tab;
    titleLabel.setText (tabInfo (tab).longName, juce::dontSendNotification);
    updateKnobVisibility();
    menu.setTextWhenNothingSelected (juce::String (tabInfo (tab).shortName) + " preset...");
    menu.refill();
    refreshPowerButton();
    resized();
    repaint();
}

void FxSection::showView (int newView)
{
    if (newView == view || (newView != effectsView && newView != arpeggiatorView))
        return;
    view = newView;
    const bool effects = view == effectsView;
    for (juce::Component* c : { static_cast<juce::Component*> (&menu), static_cast<juce::Component*> (&titleLabel),
                                static_cast<juce::Component*> (&power) })
        c->setVisible (effects);
    arp.setVisible (! effects);
    updateKnobVisibility();
    resized();
    repaint();
}

void FxSection::updateKnobVisibility()
{
    for (auto* knob : getKnobs())
        knob->setVisible (false);
    classicButton.setVisible (false);
    ensembleButton.setVisible (false);
    if (view != effectsView)
        return;

    const auto& info = tabInfo (shown);
    for (int i = info.firstKnob; i < info.firstKnob + info.knobCount; ++i)
        knob (static_cast<std::size_t> (i)).setVisible (true);
    if (shown == chorusTab)
    {
        classicButton.setVisible (true);
        ensembleButton.setVisible (true);
        refreshChorusButtons();
        // The ensemble runs its own fixed rate and depth.
        knob (chorusRateKnob).setVisible (! isEnsemble());
        knob (chorusDepthKnob).setVisible (! isEnsemble());
    }
}

// Switches the engine hears at once, so the next block already plays them.
void FxSection::toggleBypass (int tab)
{
    const auto bypass = tabInfo (tab).bypass;
    context.setParameterValueNow (bypass, context.engineValue (bypass) > 0.5f ? 0.0f : 1.0f);
    refreshPowerButton();
}

void FxSection::setChorusMode (int mode)
{
    context.setParameterValueNow (ParamID::chorus_mode, static_cast<float> (mode));
    followChorusMode();
}

// The chorus page's knobs depend on the mode: Rate and Depth only in Classic.
void FxSection::followChorusMode()
{
    if (refreshChorusButtons() && view == effectsView && shown == chorusTab)
    {
        updateKnobVisibility();
        resized();
        repaint();
    }
}

void FxSection::refreshPowerButton()
{
    const int bypassed = context.engineValue (tabInfo (shown).bypass) > 0.5f ? 1 : 0;
    if (bypassed == powerShown)
        return;
    powerShown = bypassed;
    power.setButtonText (bypassed == 1 ? "OFF" : "ON");
    PlumoraLookAndFeel::styleTab (power, bypassed == 0);
}

bool FxSection::refreshChorusButtons()
{
    const int mode = isEnsemble() ? 1 : 0;
    if (mode == chorusShown)
        return false;
    chorusShown = mode;
    PlumoraLookAndFeel::styleTab (classicButton, mode == 0);
    PlumoraLookAndFeel::styleTab (ensembleButton, mode == 1);
    return true;
}

void FxSection::refresh()
{
    const auto engineValue = [this] (ParamID id) { return context.engineValue (id); };
    // Only a tab row whose state changed is drawn again.
    for (int tab = 0; tab < effectTabCount; ++tab)
    {
        auto& record = records[static_cast<std::size_t> (tab)];
        const auto before = std::make_tuple (record.amount, record.summary, record.active);
        summariseEffect (tab, engineValue, record);
        if (std::make_tuple (record.amount, record.summary, record.active) != before)
            repaint (record.bounds);
    }
    // A host or a preset may have switched what the buttons show.
    refreshPowerButton();
    followChorusMode();
    KnobSection::refresh();
    if (view == arpeggiatorView)
    {
        const auto position = context.arpeggiatorPosition();
        arp.updateSteps (position.step, position.length);
    }
}

void FxSection::resized()
{
    const int a = getWidth() - 4, d = getHeight() - 4;
    fxButton = { 4, 4, std::min (a, 44) - 4, std::min (d, 26) - 4 };
    arpButton = { 4, 34, fxButton.getWidth(), 22 };
    if (view == arpeggiatorView)
    {
        arp.setBounds (50, 2, a - 48, d);
        return;
    }

    const int pitch = d / effectTabCount;
    for (int tab = 0; tab < effectTabCount; ++tab)
        records[static_cast<std::size_t> (tab)].bounds = { 51, 3 + tab * pitch, 138, pitch - 2 };
    layoutEffectPage ({ 194, 0, a - 48 - 144, d });
}

void FxSection::layoutEffectPage (juce::Rectangle<int> column)
{
    const int x = column.getX(), width = column.getWidth();
    menu.setBounds (x + width - 110, 0, 110, std::min (column.getHeight(), 20) + 4);
    power.setBounds (menu.getX() - 4 - 36, 2, 36, 20);
    titleLabel.setBounds (x, 2, std::max (power.getX() - 4 - x, 0), 20);

    juce::Rectangle<int> area (x, 22, width, column.getHeight() - 20);
    if (shown == chorusTab)
    {
        classicButton.setBounds (x + 2, 23, width / 2 - 4, 20);
        ensembleButton.setBounds (x + 2 + width / 2, 23, width / 2 - 4, 20);
        area.removeFromTop (22);
    }

    std::vector<PlumKnob*> visible;
    for (auto* knob : getKnobs())
        if (knob->isVisible())
            visible.push_back (knob);
    if (visible.empty())
        return;
    const int share = width / static_cast<int> (visible.size());
    for (std::size_t i = 0; i < visible.size(); ++i)
    {
        const int left = x + static_cast<int> (i) * share;
        const int right = i + 1 == visible.size() ? x + width : left + share;
        visible[i]->setBounds (left, area.getY() + 4, right - left, area.getHeight() - 8);
    }
}

void FxSection::paint (juce::Graphics& g)
{
    PlumoraLookAndFeel::drawSectionPanel (g, getLocalBounds().toFloat());

    g.setFont (palette::font (palette::headerFontHeight));
    const std::pair<juce::Rectangle<int>, const char*> viewButtons[] { { fxButton, "FX" }, { arpButton, "Arp" } };
    for (int v = 0; v < 2; ++v)
    {
        const bool active = v == view;
        g.setColour (active ? palette::selected : palette::viewButtonIdle);
        g.fillRoundedRectangle (viewButtons[v].first.toFloat(), 4.0f);
        g.setColour (active ? palette::text : palette::textDim);
        g.drawText (viewButtons[v].second, viewButtons[v].first, juce::Justification::centred);
    }

    if (view == effectsView)
        for (int tab = 0; tab < effectTabCount; ++tab)
            paintEffectTab (g, records[static_cast<std::size_t> (tab)], tab == shown);
}

void FxSection::mouseDown (const juce::MouseEvent& event)
{
    const auto point = event.getPosition();
    if (fxButton.contains (point))
        return showView (effectsView);
    if (arpButton.contains (point))
        return showView (arpeggiatorView);
    if (view != effectsView)
        return;

    for (int tab = 0; tab < effectTabCount; ++tab)
    {
        const auto& bounds = records[static_cast<std::size_t> (tab)].bounds;
        if (! bounds.contains (point))
            continue;
        if (point.x < bounds.getX() + 20)
        {
            toggleBypass (tab);
            repaint();
        }
        else if (tab != shown)
        {
            selectTab (tab);
        }
        return;
    }
}

} // namespace plumora
