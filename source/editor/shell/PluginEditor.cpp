#include "PluginEditor.h"

#include "AdvancedEditorContent.h"
#include "HitTestDiagnostic.h"
#include "OnMessageThread.h"
#include "PageLayouts.h"
#include "SimpleEditorContent.h"
#include "editor/controls/Accessibility.h"
#include "editor/look/Palette.h"
#include "processor/PluginProcessor.h"

#include <atomic>
#include <cmath>

using namespace plumora;

namespace
{
// Process-wide: the first editor's keyboard takes the keys once, and about
// three seconds after the first editor opened one diagnostic is written.
std::atomic<bool> keyboardFocusPending { true };
std::atomic<int> editorTicks { 0 };
constexpr int kDiagnosticTick = 90;
constexpr int kTimerMilliseconds = 33;
} // namespace

PlumoraAudioProcessorEditor::PlumoraAudioProcessorEditor (PlumoraAudioProcessor& owner)
    : juce::AudioProcessorEditor (owner),
      plugin (owner),
      context (owner),
      keyboard (owner.keyboardState(), juce::MidiKeyboardComponent::horizontalKeyboard)
{
    setLookAndFeel (&lookAndFeel);

    keyboard.setVelocity (0.8f, true);
    keyboard.setWantsKeyboardFocus (true);
    keyboard.setTitle ("Keyboard");
    keyboard.setExplicitFocusOrder (1); // first: Tab leads from it into the controls
    addAndMakeVisible (keyboard);

    modeButton.setTooltip ("Switch between S!MPLE and PRO editing modes");
    modeButton.onClick = [this] { toggleEditorMode(); };
    presetBox.setTextWhenNothingSelected ("Preset...");
    presetBox.onChange = [this] { loadChosenPreset(); };
    presetBox.setTitle ("Preset");
    prevButton.setTitle ("Previous preset");
    prevButton.setTooltip ("Previous preset");
    prevButton.onClick = [this] { stepPreset (-1); };
    nextButton.setTitle ("Next preset");
    nextButton.setTooltip ("Next preset");
    nextButton.onClick = [this] { stepPreset (+1); };
    for (auto* control : std::initializer_list<juce::Component*> { &modeButton, &presetBox, &prevButton, &nextButton })
        addAndMakeVisible (*control);

    plugin.presets().addListener (this);
    refreshPresetList();
    setEditorMode (plugin.uiMode());
    setResizable (false, false);
    setSize (palette::windowWidth, palette::windowHeight);
    startTimer (kTimerMilliseconds);
}

PlumoraAudioProcessorEditor::~PlumoraAudioProcessorEditor()
{
    plugin.presets().removeListener (this);
    stopTimer();
    content.reset();
    setLookAndFeel (nullptr);
}

float PlumoraAudioProcessorEditor::usableScale (float requested) noexcept
{
    constexpr float smallest = 0.5f, largest = 3.0f;
    return std::isfinite (requested) && requested > 0.0f ? juce::jlimit (smallest, largest, requested) : 1.0f;
}

void PlumoraAudioProcessorEditor::setScaleFactor (float newScale)
{
    const float scale = usableScale (newScale);
    juce::AudioProcessorEditor::setScaleFactor (scale);
    if (content != nullptr)
        content->cacheLayers (isWholeScale());
}

bool PlumoraAudioProcessorEditor::isWholeScale() const noexcept
{
    const float scale = getTransform().mat00;
    return std::abs (scale - std::round (scale)) < 1.0e-3f;
}

void PlumoraAudioProcessorEditor::setEditorMode (int mode)
{
    content.reset();
    if (mode == 0)
        content = std::make_unique<AdvancedEditorContent> (context);
    else if (mode == 1)
        content = std::make_unique<SimpleEditorContent> (context);
    if (content != nullptr)
    {
        addAndMakeVisible (*content);
        content->cacheLayers (isWholeScale());
    }
    letKeyboardReachControls (*this);
    modeButton.setButtonText (mode == 1 ? "PRO" : "S!MPLE");
    refreshPresetList();
    resized();
}

void PlumoraAudioProcessorEditor::toggleEditorMode()
{
    const int mode = 1 - plugin.uiMode();
    plugin.setUiMode (mode);
    setEditorMode (mode);
}

void PlumoraAudioProcessorEditor::refreshPresetList()
{
    presetBox.clear (juce::dontSendNotification);
    const auto presets = plugin.presets().getPresetsForScope (PresetScope::complete, {}, plugin.uiMode() == 1);
    for (std::size_t i = 0; i < presets.size(); ++i)
        if (presets[i]->name.isNotEmpty())
            presetBox.addItem (presets[i]->name, static_cast<int> (i) + 1);
    selectPresetNamed (plugin.getCurrentPresetName());
}

void PlumoraAudioProcessorEditor::selectPresetNamed (const juce::String& name)
{
    for (int i = 0; i < presetBox.getNumItems(); ++i)
        if (presetBox.getItemText (i) == name)
        {
            presetBox.setSelectedItemIndex (i, juce::dontSendNotification);
            return;
        }
}

// The item's id is its place in the list (a nameless entry leaves a gap in
// the menu), so the id, not the menu position, says which preset it is. A
// list that shrank since the menu was filled makes the choice do nothing.
void PlumoraAudioProcessorEditor::loadChosenPreset()
{
    const int position = presetBox.getSelectedId() - 1;
    const auto presets = plugin.presets().getPresetsForScope (PresetScope::complete, {}, plugin.uiMode() == 1);
    if (position >= 0 && position < static_cast<int> (presets.size()))
        plugin.presets().loadPreset (*presets[static_cast<std::size_t> (position)]);
}

int PlumoraAudioProcessorEditor::steppedIndex (int count, int selected, int delta) noexcept
{
    if (count <= 0)
        return -1;
    const int from = delta < 0 ? (selected < 0 ? -1 : selected + delta) : (selected < 0 ? 0 : selected + delta);
    return (count + (from % count)) % count;
}

void PlumoraAudioProcessorEditor::stepPreset (int delta)
{
    const int index = steppedIndex (presetBox.getNumItems(), presetBox.getSelectedItemIndex(), delta);
    if (index >= 0)
        presetBox.setSelectedItemIndex (index, juce::sendNotificationSync);
}

void PlumoraAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (palette::background);
    const auto topBar = juce::Rectangle<int> (0, 0, getWidth(), std::min (getHeight(), palette::topBarHeight));
    g.setColour (palette::panel);
    g.fillRect (topBar);
    // The bar's last row: the page below starts at its height and would hide
    // a line drawn there.
    g.setColour (palette::line);
    g.fillRect (0, topBar.getBottom() - 1, getWidth(), 1);
    g.setColour (palette::accent);
    g.setFont (palette::font (palette::titleFontHeight));
    g.drawText ("Plumora", topBar, juce::Justification::centred, false);
}

void PlumoraAudioProcessorEditor::resized()
{
    const auto layout = layoutEditor (getWidth(), getHeight());
    keyboard.setBounds (layout.keyboard);
    modeButton.setBounds (layout.modeButton);
    prevButton.setBounds (layout.previousButton);
    presetBox.setBounds (layout.presetBox);
    nextButton.setBounds (layout.nextButton);
    if (content != nullptr)
        content->setBounds (layout.page);
}

void PlumoraAudioProcessorEditor::timerCallback()
{
    if (content != nullptr)
        content->tick();
    if (keyboardFocusPending.exchange (false))
        keyboard.grabKeyboardFocus();
    if (++editorTicks == kDiagnosticTick && content != nullptr)
        runHitTestDiagnostic (*this, *content, hitTestDiagnosticFile());
}

void PlumoraAudioProcessorEditor::currentPresetChanged (const juce::String& name)
{
    onMessageThread (*this, [this, name] { selectPresetNamed (name); });
}

void PlumoraAudioProcessorEditor::presetListChanged()
{
    onMessageThread (*this, [this] { refreshPresetList(); });
}
