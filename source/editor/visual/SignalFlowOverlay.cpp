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

// Opacity moves in steps this large: the pulse looks the same, and a cable
// is drawn again only when its step changes, not at every tick.
constexpr float kAlphaStep = 0.05f;

float SignalFlowOverlay::alphaOf (const Cable& cable) const noexcept
{
    const float alpha = juce::jlimit (0.0f, 1.0f, 0.3f + 0.3f * std::sin (static_cast<float> (cable.source) + pulse));
    return std::round (alpha / kAlphaStep) * kAlphaStep;
}

// Small boxes along a cable, so a redraw covers the cable and not the page
// between its ends.
juce::RectangleList<int> SignalFlowOverlay::areaOf (const Cable& cable) const
{
    constexpr int kPieces = 6;
    juce::RectangleList<int> area;
    const auto path = cablePath (cable.start, cable.end);
    juce::PathFlatteningIterator points (path);
    const float piece = std::max (path.getLength(), 1.0f) / kPieces;
    juce::Point<float> previous = cable.start;
    juce::Rectangle<float> box (previous, previous);
    float travelled = 0.0f;
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
    return area;
}

void SignalFlowOverlay::tick()
{
    pulse += 0.05f;
    if (pulse > kTwoPi)
        pulse -= kTwoPi;

    const auto now = cables();
    std::vector<DrawnCable> next;
    next.reserve (now.size());
    for (std::size_t i = 0; i < now.size(); ++i)
    {
        const auto& cable = now[i];
        const float alpha = alphaOf (cable);
        const bool same = i < drawn.size() && drawn[i].cable.source == cable.source && drawn[i].cable.start == cable.start
                          && drawn[i].cable.end == cable.end && drawn[i].cable.width == cable.width;
        if (same && drawn[i].alpha == alpha)
        {
            next.push_back (std::move (drawn[i]));
            continue;
        }
        auto area = same ? drawn[i].area : areaOf (cable);
        if (i < drawn.size())
            for (const auto& r : drawn[i].area)
                repaint (r);
        for (const auto& r : area)
            repaint (r);
        next.push_back ({ cable, alpha, std::move (area) });
    }
    for (std::size_t i = now.size(); i < drawn.size(); ++i)
        for (const auto& r : drawn[i].area)
            repaint (r);
    drawn = std::move (next);
}

void SignalFlowOverlay::paint (juce::Graphics& g)
{
    for (const auto& cable : cables())
    {
        g.setColour (modSourceColour (cable.source).withAlpha (alphaOf (cable)));
        g.strokePath (cablePath (cable.start, cable.end), juce::PathStrokeType (cable.width));
    }
}

} // namespace plumora
