#include "ArpSection.h"

#include "editor/controls/Accessibility.h"
#include "editor/look/Palette.h"

#include <cmath>

namespace plumora
{

namespace
{
struct GroupTable
{
    const char* label;
    ParamID parameter;
    std::vector<const char*> texts;
    float labelWidth, buttonWidth, pitch, firstOffset; // the first button sits firstOffset after the label's left edge
};

const std::array<GroupTable, ArpSection::groupCount>& groups()
{
    static const std::array<GroupTable, ArpSection::groupCount> table { {
        { "RATE", ParamID::arp_rate, { "1/4", "1/8", "1/16", "1/8T", "1/16T", "1/32" }, 38.0f, 32.0f, 35.0f, 42.0f },
        { "PATTERN", ParamID::arp_pattern, { "Up", "Dn", "UpDn", "Rnd", "Played", "DnUp", "RndU", "Chord" }, 58.0f, 38.0f, 41.0f, 62.0f },
        { "OCT", ParamID::arp_octaves, { "1", "2", "3", "4" }, 38.0f, 22.0f, 25.0f, 42.0f },
        { "FADE", ParamID::arp_vel_decay, { "Off", "Soft", "Med", "Max" }, 38.0f, 30.0f, 33.0f, 42.0f },
        { "LEG", ParamID::arp_legato, { "Off", "On" }, 26.0f, 26.0f, 29.0f, 30.0f },
    } };
    return table;
}

constexpr float rowHeight = 20.0f, groupGap = 7.0f;
} // namespace

ArpSection::ArpSection (EditorContext& editorContext) : context (editorContext)
{
    setName ("ARP");
    setTitle ("Arpeggiator");
    setOpaque (false);
    lastEnabled = isEnabled();
}

float ArpSection::value (ParamID id) const
{
    if (auto* p = context.parameter (id))
        return p->convertFrom0to1 (p->getValue());
    return 0.0f;
}

// A click on the strip is a single step, so the value goes to the host
// without a gesture, and reaches the engine with the next block.
void ArpSection::setValue (ParamID id, float plainValue)
{
    context.setParameterValueInGesture (id, plainValue);
}

bool ArpSection::isExpanded() const { return forcedExpanded || isEnabled(); }

void ArpSection::setForcedExpanded()
{
    forcedExpanded = true;
    resized();
    repaint();
}

void ArpSection::updateSteps (int newStep, int newCount)
{
    if (newStep != step || newCount != stepCount)
    {
        step = newStep;
        stepCount = newCount;
        repaint();
    }
    if (isEnabled() != lastEnabled)
    {
        lastEnabled = ! lastEnabled;
        resized();
        repaint();
        if (auto* parent = getParentComponent())
            parent->resized();
    }
}

int ArpSection::selectedButton (Group group) const
{
    const float v = value (groups()[static_cast<std::size_t> (group)].parameter);
    if (group == octave)
        return static_cast<int> (v) - 1;
    if (group != fade)
        return static_cast<int> (v);
    int best = 0; // the fade button nearest the value
    for (int i = 1; i < static_cast<int> (fadeValues.size()); ++i)
        if (std::abs (fadeValues[static_cast<std::size_t> (i)] - v) < std::abs (fadeValues[static_cast<std::size_t> (best)] - v))
            best = i;
    return best;
}

void ArpSection::resized()
{
    const auto width = static_cast<float> (getWidth()), height = static_cast<float> (getHeight());
    shape = {};
    shape.power = { 0.0f, 0.0f, std::min (width, 26.0f), std::min (height, 24.0f) };
    shape.title = { 26.0f + 6.0f, 0.0f, 30.0f, 24.0f };
    if (! isExpanded())
        return;

    // Each group: its label box, then its buttons; the next group 7 pixels on.
    const auto placeGroups = [this] (float x, float y, std::initializer_list<Group> row)
    {
        for (const auto group : row)
        {
            const auto& table = groups()[static_cast<std::size_t> (group)];
            auto& buttons = shape.buttons[static_cast<std::size_t> (group)];
            shape.labels[static_cast<std::size_t> (group)] = { x, y, table.labelWidth, rowHeight };
            for (std::size_t i = 0; i < table.texts.size(); ++i)
                buttons.push_back ({ x + table.firstOffset + static_cast<float> (i) * table.pitch, y, table.buttonWidth, rowHeight });
            x = buttons.back().getRight() + groupGap;
        }
    };
    placeGroups (shape.title.getRight() + 4.0f, 2.0f, { rate, pattern });
    placeGroups (std::min (width, 66.0f), 28.0f, { octave, fade, legato });

    const float rest = std::max (height - 52.0f, 0.0f), cellHeight = std::min (22.0f, rest);
    const float cellWidth = (width - 45.0f) / 16.0f;
    for (int i = 0; i < 16; ++i)
        shape.steps.push_back ({ static_cast<float> (i) * (cellWidth + 3.0f), 52.0f + (rest - cellHeight) / 2.0f, cellWidth, cellHeight });
}

void ArpSection::paint (juce::Graphics& g)
{
    const bool enabled = isEnabled();
    g.setColour (palette::stripButton);
    g.fillRoundedRectangle (shape.power, 4.0f);
    g.setColour (palette::line);
    g.drawRoundedRectangle (shape.power.reduced (0.5f), 4.0f, 1.0f);

    // The power symbol: a ring and a stroke from its top toward the centre.
    const auto centre = shape.power.getCentre();
    g.setColour (enabled ? palette::accent : palette::textDim.withMultipliedAlpha (palette::stripPowerOffAlpha));
    juce::Path ring;
    ring.addCentredArc (centre.x, centre.y, 6.0f, 6.0f, 0.0f, 0.6f, juce::MathConstants<float>::twoPi - 0.6f, true);
    g.strokePath (ring, juce::PathStrokeType (1.5f));
    g.drawLine (centre.x, centre.y - 7.0f, centre.x, centre.y - 1.0f, 1.5f);

    g.setColour (enabled ? palette::text : palette::textDim);
    g.setFont (palette::font (palette::headerFontHeight));
    g.drawText ("ARP", shape.title, juce::Justification::centredLeft);
    if (! isExpanded())
        return;

    for (int group = 0; group < groupCount; ++group)
    {
        const auto& table = groups()[static_cast<std::size_t> (group)];
        g.setColour (palette::text);
        g.setFont (palette::font (10.0f).boldened());
        g.drawText (table.label, shape.labels[static_cast<std::size_t> (group)], juce::Justification::centredLeft);

        const int chosen = selectedButton (static_cast<Group> (group));
        const auto& buttons = shape.buttons[static_cast<std::size_t> (group)];
        g.setFont (palette::font (9.5f));
        for (std::size_t i = 0; i < buttons.size(); ++i)
        {
            const bool isChosen = static_cast<int> (i) == chosen;
            g.setColour (isChosen ? palette::selected : palette::stripButton);
            g.fillRoundedRectangle (buttons[i], 4.0f);
            if (! isChosen)
            {
                g.setColour (palette::line.withMultipliedAlpha (palette::stripButtonOutlineAlpha));
                g.drawRoundedRectangle (buttons[i].reduced (0.5f), 4.0f, 1.0f);
            }
            g.setColour (isChosen ? palette::text : palette::textDim);
            g.drawText (table.texts[i], buttons[i], juce::Justification::centred);
        }
    }

    for (std::size_t i = 0; i < shape.steps.size(); ++i)
    {
        const int cell = static_cast<int> (i);
        g.setColour (cell == step ? palette::accent : cell < stepCount ? palette::stepCellInPattern : palette::stripButton);
        g.fillRect (shape.steps[i]);
        g.setColour (palette::stepCellOutline);
        g.drawRect (shape.steps[i], 1.0f);
    }
}

void ArpSection::mouseDown (const juce::MouseEvent& event)
{
    const auto point = event.position;
    if (shape.power.contains (point))
    {
        setValue (ParamID::arp_enabled, isEnabled() ? 0.0f : 1.0f);
        repaint();
        return;
    }
    if (! isExpanded())
        return;
    for (int group = 0; group < groupCount; ++group)
    {
        const auto& buttons = shape.buttons[static_cast<std::size_t> (group)];
        for (std::size_t i = 0; i < buttons.size(); ++i)
        {
            if (! buttons[i].contains (point))
                continue;
            const auto n = static_cast<float> (i);
            const float newValue = group == octave ? n + 1.0f : group == fade ? fadeValues[i] : n;
            setValue (groups()[static_cast<std::size_t> (group)].parameter, newValue);
            repaint();
            return;
        }
    }
}

std::unique_ptr<juce::AccessibilityHandler> ArpSection::createAccessibilityHandler()
{
    return drawnControlHandler (*this, juce::AccessibilityRole::group, [this]
    {
        return spokenParameters (context, { ParamID::arp_enabled, ParamID::arp_rate, ParamID::arp_pattern, ParamID::arp_octaves,
                                            ParamID::arp_vel_decay, ParamID::arp_legato });
    });
}

} // namespace plumora
