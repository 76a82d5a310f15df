#pragma once

#include "KnobSection.h"
#include "SectionPresetMenu.h"

namespace plumora
{

// Filter type, cutoff, resonance, drive and envelope amount, with the
// filter presets' menu.
class FilterSection : public KnobSection
{
public:
    explicit FilterSection (EditorContext& context);
    SectionPresetMenu& presetMenu() noexcept { return presets; }
    void resized() override;

protected:
    juce::Rectangle<int> headerBounds() const noexcept override { return { 0, 0, std::min (getWidth(), 50), 14 }; }

private:
    SectionPresetMenu presets;
};

// The amplitude envelope's four knobs.
class AmpSection : public KnobSection
{
public:
    explicit AmpSection (EditorContext& context);
    void resized() override;

protected:
    juce::Rectangle<int> headerBounds() const noexcept override { return { 0, 0, getWidth(), 14 }; }
};

} // namespace plumora
