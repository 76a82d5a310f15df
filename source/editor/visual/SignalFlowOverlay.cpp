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

juce::RectangleList<int> SignalFlowOverlay::cableArea() const
{
    constexpr int kPieces = 3;
    juce::RectangleList<int> area;
    for (const auto& cable : cables())
    {
        const auto path = cablePath (cable.start, cable.end);
        juce::PathFlatteningIterator points (path);
        juce::Point<float> previous = cable.start;
        const float length = std::max (path.getLength(), 1.0f), piece = length / kPieces;
        float travelled = 0.0f;
        juce::Rectangle<float> box (previous, previous);
        while (points.next())
        {
            const juce::Point<float> point { points.x2, points.y2 };
            box = box.getUnion (juce::Rectangle<float> (previous, point));
            travelled += previous.getDistanceFrom (point);
            previous = point;
            if (travelled >= piece)
            {
                area.add (box.expanded (cable.width + 1.0f).getSmallestIntegerContainer());
                box = { point, point };
                travelled = 0.0f;
            }
        }
        area.add (box.expanded (cable.width + 1.0f).getSmallestIntegerContainer());
    }
    return area;
}

void SignalFlowOverlay::tick()
{
    pulse += 0.05f;
    if (pulse > kTwoPi)
        pulse -= kTwoPi;
    auto area = cableArea();
    auto dirty = lastArea;
    dirty.add (area);
    lastArea = std::move (area);
    for (const auto& r : dirty)
        repaint (r);
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
