#include "SoundMap.h"

#include "editor/controls/Accessibility.h"
#include "editor/look/Palette.h"
#include "editor/look/PlumoraLookAndFeel.h"

namespace plumora
{
namespace
{
constexpr float kLandmarkHideDistance = 25.0f;
constexpr float kTrailPickRadius = 10.0f;
constexpr float kOuterGlow = 24.0f;
constexpr float kLabelGap = 14.0f, kLabelWidth = 80.0f, kLabelHeight = 14.0f;
constexpr float kLandmarkDiameter = 7.0f, kLandmarkNameWidth = 60.0f, kLandmarkNameHeight = 14.0f;

juce::Rectangle<float> landmarkArea (juce::Point<float> centre)
{
    return { centre.x - kLandmarkNameWidth / 2.0f, centre.y - kLandmarkDiameter, kLandmarkNameWidth,
             kLandmarkDiameter + kLandmarkNameHeight + 4.0f };
}
} // namespace

SoundMap::SoundMap (EditorContext& editorContext) : context (editorContext)
{
    setTitle ("Sound map");
    setWantsKeyboardFocus (true);
    setMouseClickGrabsKeyboardFocus (false); // the on-screen keyboard keeps the focus
}

const std::vector<SoundMap::Landmark>& SoundMap::landmarks()
{
    static const std::vector<Landmark> marks {
        { "Bass", { 0.2f, 0.7f } },  { "Lead", { 0.72f, 0.72f } }, { "Pad", { 0.25f, 0.28f } },
        { "Keys", { 0.52f, 0.48f } }, { "Pluck", { 0.75f, 0.32f } },
    };
    return marks;
}

juce::Point<float> SoundMap::dotPosition() const noexcept { return soundmap::pixelFor ({ x, y }, getLocalBounds().toFloat()); }

void SoundMap::setTimbreMaps (std::vector<float> brightness, std::vector<float> harshness, bool applyNow)
{
    brightnessMap = std::move (brightness);
    harshnessMap = std::move (harshness); // kept with the timbre; nothing reads it yet
    if (applyNow)
        applyToSound(); // nothing drawn depends on the maps
}

void SoundMap::applyToSound() const
{
    const auto writer = context.parameterWriter();
    for (const auto& setting : soundmap::settingsAt (x, y, brightnessMap))
        writer.set (setting.id, setting.value);
}

void SoundMap::setPosition (float newX, float newY)
{
    moveTo ({ juce::jlimit (0.0f, 1.0f, newX), juce::jlimit (0.0f, 1.0f, newY) }, true);
}

void SoundMap::moveTo (juce::Point<float> mapPoint, bool leaveTrail)
{
    const auto bounds = getLocalBounds().toFloat();
    const auto from = dotPosition();
    const auto to = soundmap::pixelFor (mapPoint, bounds);
    auto dirty = areaAroundDot (from).getUnion (areaAroundDot (to));
    const auto trailBefore = history.bounds(); // the oldest point may drop out
    if (leaveTrail && history.recordMove (from, to))
        dirty = dirty.getUnion (trailBefore.expanded (4.0f)).getUnion (history.bounds().expanded (4.0f));

    x = mapPoint.x;
    y = mapPoint.y;
    currentLabel = soundmap::characterLabel (x, y);
    applyToSound();
    repaint (dirty.getSmallestIntegerContainer());
}

// What a dot move can change: its glow and label, and landmarks it hides or
// uncovers.
juce::Rectangle<float> SoundMap::areaAroundDot (juce::Point<float> dot) const
{
    auto area = juce::Rectangle<float> (dot.x - kLabelWidth / 2.0f, dot.y - kOuterGlow - 1.0f, kLabelWidth,
                                        kOuterGlow + 1.0f + kLabelGap + kLabelHeight + 1.0f);
    const auto bounds = getLocalBounds().toFloat();
    for (const auto& mark : landmarks())
    {
        const auto at = soundmap::pixelFor (mark.at, bounds);
        if (at.getDistanceFrom (dot) < kLandmarkHideDistance)
            area = area.getUnion (landmarkArea (at));
    }
    return area;
}

void SoundMap::mouseDown (const juce::MouseEvent& e)
{
    dragging = true;
    moveTo (soundmap::mapPointFor (e.position, getLocalBounds().toFloat()), false);
}

void SoundMap::mouseDrag (const juce::MouseEvent& e)
{
    const auto point = soundmap::mapPointFor (e.position, getLocalBounds().toFloat());
    setPosition (point.x, point.y);
}

void SoundMap::mouseUp (const juce::MouseEvent&) { dragging = false; }

void SoundMap::mouseDoubleClick (const juce::MouseEvent& e)
{
    const int found = history.newestNear (e.position, kTrailPickRadius);
    if (found < 0)
        return;
    const auto pixel = history.points()[static_cast<std::size_t> (found)];
    const auto dirty = history.bounds().expanded (4.0f);
    history.cutFrom (found);
    repaint (dirty.getSmallestIntegerContainer());
    const auto point = soundmap::mapPointFor (pixel, getLocalBounds().toFloat());
    setPosition (point.x, point.y);
}

juce::String SoundMap::getTooltip() { return "Drag to shape the overall tone: left/right = dark/bright, up/down = smooth/harsh"; }

void SoundMap::paint (juce::Graphics& g)
{
    const auto inner = getLocalBounds().toFloat().reduced (2.0f);
    const auto centre = soundmap::pixelFor ({ 0.5f, 0.5f }, getLocalBounds().toFloat());
    const auto dot = dotPosition();
    paintBackground (g, inner, centre);
    paintWords (g, inner, centre);
    paintLandmarks (g, dot);
    paintTrail (g);
    paintDot (g, dot);
    g.setColour (palette::line);
    g.drawRoundedRectangle (inner, 4.0f, 1.0f);
    g.setColour (palette::textDim.withAlpha (0.3f));
    g.setFont (palette::font (9.0f));
    g.drawText ("Drag the dot to change the sound.", inner.withTop (inner.getBottom() - 12.0f), juce::Justification::centred, false);
    if (hasKeyboardFocus (false))
        PlumoraLookAndFeel::drawFocusOutline (g, getLocalBounds().toFloat());
}

void SoundMap::paintBackground (juce::Graphics& g, juce::Rectangle<float> inner, juce::Point<float> centre) const
{
    const float left = centre.x - inner.getX(), top = centre.y - inner.getY();
    const float right = inner.getRight() - centre.x, bottom = inner.getBottom() - centre.y;
    g.setColour (palette::soundMapBrooding);
    g.fillRect (inner.getX(), inner.getY(), left, top);
    g.setColour (palette::soundMapAggressive);
    g.fillRect (centre.x, inner.getY(), right, top);
    g.setColour (palette::soundMapMellow);
    g.fillRect (inner.getX(), centre.y, left, bottom);
    g.setColour (palette::soundMapAtmospheric);
    g.fillRect (centre.x, centre.y, right, bottom);

    const auto middle = inner.getCentre();
    g.setGradientFill (juce::ColourGradient (palette::background.withAlpha (0.45f), middle, palette::background.withAlpha (0.0f),
                                             middle.translated (0.55f * inner.getWidth(), 0.0f), true));
    g.fillRect (inner);
}

void SoundMap::paintWords (juce::Graphics& g, juce::Rectangle<float> inner, juce::Point<float> centre) const
{
    const auto corners = inner.reduced (6.0f, 4.0f);
    g.setColour (palette::textDim.withAlpha (0.3f));
    g.setFont (palette::font (10.0f));
    g.drawText ("brooding", corners, juce::Justification::topLeft, false);
    g.drawText ("aggressive", corners, juce::Justification::topRight, false);
    g.drawText ("mellow", corners, juce::Justification::bottomLeft, false);
    g.drawText ("atmospheric", corners, juce::Justification::bottomRight, false);

    const auto plot = getLocalBounds().toFloat().reduced (soundmap::kMarginX, soundmap::kMarginY);
    g.setColour (palette::textDim.withAlpha (0.5f));
    g.setFont (palette::font (12.0f));
    const auto fit = [&g] (const juce::String& word, juce::Rectangle<float> area)
    { g.drawFittedText (word, area.getSmallestIntegerContainer(), juce::Justification::centred, 1, 0.6f); };
    fit ("DARK", { inner.getX(), centre.y - 7.0f, plot.getX() - inner.getX(), 14.0f });
    fit ("BRIGHT", { plot.getRight(), centre.y - 7.0f, inner.getRight() - plot.getRight(), 14.0f });
    fit ("HARSH", { centre.x - 40.0f, inner.getY(), 80.0f, plot.getY() - inner.getY() });
    fit ("SMOOTH", { centre.x - 40.0f, plot.getBottom(), 80.0f, 12.0f });

    g.setColour (palette::textDim.withAlpha (0.12f));
    g.drawLine (plot.getX(), centre.y, plot.getRight(), centre.y, 1.0f);
    g.drawLine (centre.x, plot.getY(), centre.x, plot.getBottom(), 1.0f);
}

void SoundMap::paintLandmarks (juce::Graphics& g, juce::Point<float> dot) const
{
    g.setFont (palette::font (10.0f));
    g.setColour (palette::text.withAlpha (0.25f));
    for (const auto& mark : landmarks())
    {
        const auto at = soundmap::pixelFor (mark.at, getLocalBounds().toFloat());
        if (at.getDistanceFrom (dot) < kLandmarkHideDistance)
            continue;
        g.drawEllipse (juce::Rectangle<float> (kLandmarkDiameter, kLandmarkDiameter).withCentre (at), 1.0f);
        g.drawText (mark.name, juce::Rectangle<float> (at.x - kLandmarkNameWidth / 2.0f, at.y + 4.0f, kLandmarkNameWidth, kLandmarkNameHeight),
                    juce::Justification::centredTop, false);
    }
}

void SoundMap::paintTrail (juce::Graphics& g) const
{
    const auto& points = history.points();
    const auto count = points.size();
    if (count >= 2)
    {
        // Quadratic segments through the midpoints between neighbours.
        juce::Path curve;
        curve.startNewSubPath (points.front());
        for (std::size_t i = 1; i + 1 < count; ++i)
            curve.quadraticTo (points[i], (points[i] + points[i + 1]) * 0.5f);
        curve.lineTo (points.back());
        g.setColour (palette::accent.withAlpha (0.12f));
        g.strokePath (curve, juce::PathStrokeType (2.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }
    for (std::size_t i = 0; i < count; ++i)
    {
        g.setColour (palette::accent.withAlpha (static_cast<float> (i + 1) / static_cast<float> (count + 1) * 0.2f));
        g.fillEllipse (juce::Rectangle<float> (4.0f, 4.0f).withCentre (points[i]));
    }
}

void SoundMap::paintDot (juce::Graphics& g, juce::Point<float> dot) const
{
    const std::pair<float, float> rings[] { { kOuterGlow, 0.08f }, { 14.0f, 0.15f }, { 8.0f, 0.3f }, { 4.0f, 1.0f } };
    for (const auto& [radius, alpha] : rings)
    {
        g.setColour (palette::accent.withAlpha (alpha));
        g.fillEllipse (juce::Rectangle<float> (2.0f * radius, 2.0f * radius).withCentre (dot));
    }
    g.setColour (palette::text.withAlpha (0.7f));
    g.setFont (palette::font (10.0f));
    g.drawText (currentLabel, juce::Rectangle<float> (dot.x - kLabelWidth / 2.0f, dot.y + kLabelGap, kLabelWidth, kLabelHeight),
                juce::Justification::centred, false);
}

bool SoundMap::keyPressed (const juce::KeyPress& key)
{
    constexpr float step = 0.05f;
    const auto code = key.getKeyCode();
    if (code == juce::KeyPress::leftKey || code == juce::KeyPress::rightKey)
        setPosition (x + (code == juce::KeyPress::leftKey ? -step : step), y);
    else if (code == juce::KeyPress::upKey || code == juce::KeyPress::downKey)
        setPosition (x, y + (code == juce::KeyPress::upKey ? step : -step));
    else
        return false;
    announceValueChange (*this);
    return true;
}

std::unique_ptr<juce::AccessibilityHandler> SoundMap::createAccessibilityHandler()
{
    return drawnControlHandler (*this, juce::AccessibilityRole::group,
                                [this]
                                {
                                    return currentLabel + ": brightness " + juce::String (x, 2) + ", harshness " + juce::String (y, 2);
                                },
                                [this] (const juce::String& text)
                                {
                                    juce::StringArray numbers;
                                    numbers.addTokens (text.retainCharacters ("0123456789., "), ", ", "");
                                    numbers.removeEmptyStrings();
                                    if (numbers.size() == 2)
                                        setPosition (numbers[0].getFloatValue(), numbers[1].getFloatValue());
                                });
}

} // namespace plumora
