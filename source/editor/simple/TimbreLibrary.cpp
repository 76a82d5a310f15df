#include "TimbreLibrary.h"

#include "TimbreWaveforms.h"
#include "dsp/FactoryWavetables.h"
#include "editor/controls/Accessibility.h"

namespace plumora
{
namespace
{
// applyTimbre installs a table whatever the timbre names; a timbre naming no
// factory table keeps the one the sound plays and brings only its levels.
std::vector<ParamID> applyKeepingTable (const Timbre& timbre, const std::vector<ParamID>& previous, WavetableCache& cache,
                                        const ParameterWriter& writer)
{
    auto& engine = writer.engine();
    const auto keptTable = engine.wavetable (0);
    const auto keptId = engine.wavetableId (0);
    auto levelsOnly = timbre;
    levelsOnly.wavetable = keptId; // a factory name gives back the very table playing
    auto applied = applyTimbre (levelsOnly, previous, cache, writer);
    if (engine.wavetable (0) != keptTable)
        engine.setWavetable (0, keptTable, keptId);
    return applied;
}

juce::String unknownTableNote (const juce::String& name)
{
    return (name.isEmpty() ? juce::String ("No table named") : "Unknown table \"" + name + "\"") + " - table kept";
}
} // namespace

TimbreLibrary::TimbreLibrary (EditorContext& editorContext, std::vector<TimbreCategory> library)
    : context (editorContext), categories (std::move (library))
{
    setTitle ("Timbre library");
    setWantsKeyboardFocus (true);
    setMouseClickGrabsKeyboardFocus (false); // the on-screen keyboard keeps the focus
    // Shown where the sound is now; read only, so building writes nothing.
    position = soundsWtPosition();
    if (categories.empty())
        note = "No timbres found";
    else
        selectCategory (0);
}

const std::vector<Timbre>* TimbreLibrary::shownTimbres() const noexcept
{
    return category >= 0 ? &categories[static_cast<std::size_t> (category)].timbres : nullptr;
}

const Timbre* TimbreLibrary::selectedTimbre() const noexcept
{
    const auto* timbres = shownTimbres();
    return timbres != nullptr && timbre >= 0 ? &(*timbres)[static_cast<std::size_t> (timbre)] : nullptr;
}

juce::String TimbreLibrary::selectedCategoryName() const
{
    return category >= 0 && category < static_cast<int> (categories.size()) ? categories[static_cast<std::size_t> (category)].name : juce::String();
}

void TimbreLibrary::selectCategory (int index)
{
    if (index < 0 || index >= static_cast<int> (categories.size()))
        return;
    category = index;
    timbre = -1;
    rebuildThumbnails();
    layOut();
    repaint();
}

float TimbreLibrary::soundsWtPosition() const
{
    const auto* parameter = context.parameter (ParamID::osc1_wt_pos);
    return parameter != nullptr ? parameter->convertFrom0to1 (parameter->getValue()) : 0.0f;
}

void TimbreLibrary::selectTimbre (int index) { chooseTimbre (index, true); }

void TimbreLibrary::chooseTimbre (int index, bool applyToSound)
{
    const auto* timbres = shownTimbres();
    if (timbres == nullptr || index < 0 || index >= static_cast<int> (timbres->size()))
        return;
    timbre = index;
    const auto& chosen = (*timbres)[static_cast<std::size_t> (index)];

    const auto writer = context.parameterWriter();
    const auto id = chosen.wavetable.toStdString();
    note.clear();
    if (! applyToSound)
    {
        extraParams = extraParamIds (chosen);
        shownTable = context.wavetable (0);
        position = soundsWtPosition();
    }
    else if (isFactoryWavetableName (id))
    {
        extraParams = applyTimbre (chosen, extraParams, tables, writer);
        shownTable = tables.get (id);
        position = juce::jlimit (0.0f, 1.0f, chosen.defaultWtPosition);
    }
    else
    {
        extraParams = applyKeepingTable (chosen, extraParams, tables, writer);
        shownTable = context.wavetable (0);
        note = unknownTableNote (chosen.wavetable);
        position = juce::jlimit (0.0f, 1.0f, chosen.defaultWtPosition);
    }
    rebuildTraces();

    if (onTimbreSelected)
        onTimbreSelected (chosen);
    repaint();
}

void TimbreLibrary::selectByNames (const juce::String& categoryName, const juce::String& timbreName)
{
    chooseByNames (categoryName, timbreName, true);
}

void TimbreLibrary::showByNames (const juce::String& categoryName, const juce::String& timbreName)
{
    chooseByNames (categoryName, timbreName, false);
}

void TimbreLibrary::chooseByNames (const juce::String& categoryName, const juce::String& timbreName, bool applyToSound)
{
    for (std::size_t c = 0; c < categories.size(); ++c)
    {
        if (categories[c].name != categoryName)
            continue;
        selectCategory (static_cast<int> (c));
        const auto& timbres = categories[c].timbres;
        for (std::size_t t = 0; t < timbres.size(); ++t)
            if (timbres[t].name == timbreName)
                return chooseTimbre (static_cast<int> (t), applyToSound);
        return;
    }
}

void TimbreLibrary::layOut()
{
    const auto* timbres = shownTimbres();
    layout = layOutTimbreLibrary (static_cast<float> (getWidth()), static_cast<float> (getHeight()), static_cast<int> (categories.size()),
                                  timbres != nullptr ? static_cast<int> (timbres->size()) : 0);
}

void TimbreLibrary::resized()
{
    layOut();
    rebuildTraces();
}

void TimbreLibrary::rebuildThumbnails()
{
    thumbnails.clear();
    if (const auto* timbres = shownTimbres())
        for (const auto& each : *timbres)
        {
            const auto id = each.wavetable.toStdString();
            thumbnails.push_back (isFactoryWavetableName (id) ? waveformThumbnail (*tables.get (id), each.defaultWtPosition) : juce::Path());
        }
}

void TimbreLibrary::rebuildTraces()
{
    traces.clear();
    if (timbre >= 0 && shownTable != nullptr)
        traces = frameTraces (*shownTable, layout.strip);
}

void TimbreLibrary::setPositionFromStrip (float x)
{
    const auto& strip = layout.strip;
    const float inner = strip.getWidth() - 2.0f * kStripInset;
    if (inner <= 0.0f)
        return;
    position = juce::jlimit (0.0f, 1.0f, (x - (strip.getX() + kStripInset)) / inner);
    context.parameterWriter().set (ParamID::osc1_wt_pos, position);
    repaint (strip.getSmallestIntegerContainer());
}

void TimbreLibrary::mouseDown (const juce::MouseEvent& e)
{
    pressedOnStrip = false;
    if (const int button = indexAt (layout.categoryButtons, e.position); button >= 0)
        selectCategory (button);
    else if (const int tile = indexAt (layout.tiles, e.position); tile >= 0)
        selectTimbre (tile);
    else if (layout.strip.contains (e.position))
    {
        pressedOnStrip = true;
        setPositionFromStrip (e.position.x);
    }
}

void TimbreLibrary::mouseDrag (const juce::MouseEvent& e)
{
    // Only a press on the strip drags it, and only while over it.
    if (pressedOnStrip && layout.strip.contains (e.position))
        setPositionFromStrip (e.position.x);
}

juce::String TimbreLibrary::tooltipAt (juce::Point<float> point) const
{
    if (noticeArea().contains (point))
        return note; // in full, should the header have cut it short
    if (const int button = indexAt (layout.categoryButtons, point); button >= 0)
        return "Sound category: " + categories[static_cast<std::size_t> (button)].name + " - sets the base waveform character";
    if (const int tile = indexAt (layout.tiles, point); tile >= 0)
        return (*shownTimbres())[static_cast<std::size_t> (tile)].name + " - Click to load this wavetable as the sound source";
    if (layout.strip.contains (point))
        return "WT Position - Drag to morph between waveform shapes within the wavetable";
    return "Choose a sound source and wavetable position";
}

juce::String TimbreLibrary::getTooltip() { return tooltipAt (getMouseXYRelative().toFloat()); }

// Right of the caption in the header; nothing while there is no note or
// the library is empty (its note fills the tile area instead).
juce::Rectangle<float> TimbreLibrary::noticeArea() const
{
    if (note.isEmpty() || categories.empty())
        return {};
    return { 68.0f, 4.0f, std::max (layout.header.getRight() - 68.0f, 0.0f), 14.0f };
}

bool TimbreLibrary::keyPressed (const juce::KeyPress& key)
{
    const auto* timbres = shownTimbres();
    const auto chosen = choiceAfterArrowKey (key, timbre, timbres != nullptr ? static_cast<int> (timbres->size()) : 0);
    if (! chosen)
        return false;
    selectTimbre (*chosen);
    announceValueChange (*this);
    return true;
}

std::unique_ptr<juce::AccessibilityHandler> TimbreLibrary::createAccessibilityHandler()
{
    return drawnControlHandler (*this, juce::AccessibilityRole::group,
                                [this]
                                {
                                    const auto* chosen = selectedTimbre();
                                    return selectedCategoryName() + ": " + (chosen != nullptr ? chosen->name : juce::String ("no timbre chosen"));
                                },
                                [this] (const juce::String& text)
                                {
                                    const auto categoryName = text.contains (":") ? text.upToFirstOccurrenceOf (":", false, false).trim()
                                                                                 : selectedCategoryName();
                                    const auto timbreName = text.fromFirstOccurrenceOf (":", false, false).trim();
                                    selectByNames (categoryName, timbreName.isNotEmpty() ? timbreName : text.trim());
                                });
}

} // namespace plumora
