#include "SignalFlowOverlay.h"

#include "editor/controls/ModSourceInfo.h"

#include <cmath>

namespace plumora
{
namespace
{
constexpr float kTwoPi = juce::MathConstants<float>::twoPi;

juce::Path cablePath (juce::Point<float> start, juce::Point<float> end)
{
    juce::Path path;
    path.startNewSubPath (start);
    const float dx = end.x - start.x;
    path.cubicTo ({ start.x + 0.3f * dx, start.y }, { end.x - 0.3f * dx, end.y }, end);
    return path;
}
// Visible itself and through every parent up to the page the overlay covers.
bool isVisibleWithin (const juce::Component* component, const juce::Component* page)
{
    for (; component != nullptr && component != page; component = component->getParentComponent())
        if (! component->isVisible())
            return false;
    return component == page;
}
} // namespace

SignalFlowOverlay::SignalFlowOverlay (EditorContext& editorContext) : context (editorContext)
{
    setName ("SignalFlowOverlay");
    setInterceptsMouseClicks (false, false);
}

juce::Component* SignalFlowOverlay::anchorFor (ModSourceID source) const
{
    const auto found = sourceComponents.find (source);
    if (found == sourceComponents.end())
        return nullptr;
    for (auto* candidate : found->second)
        if (isVisibleWithin (candidate, getParentComponent()))
            return candidate;
    return nullptr;
}

std::vector<SignalFlowOverlay::Cable> SignalFlowOverlay::cables() const
{
    std::vector<Cable> result;
    for (const auto& routing : context.routings())
    {
        const auto target = paramIDFromIndex (routing.target);
        if (! target)
            continue;
        const auto knob = targetComponents.find (*target);
        auto* anchor = anchorFor (routing.source);
        if (anchor == nullptr || knob == targetComponents.end() || ! isVisibleWithin (knob->second, getParentComponent()))
            continue;
        result.push_back ({ routing.source, getLocalPoint (anchor, anchor->getLocalBounds().toFloat().getCentre()),
                            getLocalPoint (knob->second, knob->second->getLocalBounds().toFloat().getCentre()),
                            std::abs (routing.depth) * 3.0f + 1.0f });
    }
    return result;
}

juce::Rectangle<int> SignalFlowOverlay::cableArea() const
{
    juce::Rectangle<float> area;
    for (const auto& cable : cables())
    {
        const auto bounds = cablePath (cable.start, cable.end).getBounds().expanded (cable.width);
        area = area.isEmpty() ? bounds : area.getUnion (bounds);
    }
    return area.getSmallestIntegerContainer();
}

void SignalFlowOverlay::tick()
{
    pulse += 0.05f;
    if (pulse > kTwoPi)
        pulse -= kTwoPi;
    const auto area = cableArea();
    const auto dirty = lastArea.isEmpty() ? area : area.isEmpty() ? lastArea : area.getUnion (lastArea);
    lastArea = area;
    if (! dirty.isEmpty())
        repaint (dirty);
}

void SignalFlowOverlay::paint (juce::Graphics& g)
{
    for (const auto& cable : cables())
    {
        const float alpha = juce::jlimit (0.0f, 1.0f, 0.3f + 0.3f * std::sin (static_cast<float> (cable.source) + pulse));
        g.setColour (modSourceColour (cable.source).withAlpha (alpha));
        g.strokePath (cablePath (cable.start, cable.end), juce::PathStrokeType (cable.width));
    }
}

} // namespace plumora
