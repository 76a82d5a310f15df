#include "WavetableFrameStrip.h"

#include "dsp/WavetableReader.h"
#include "editor/controls/Accessibility.h"
#include "editor/look/Palette.h"

#include <cmath>

namespace plumora
{

WavetableFrameStrip::WavetableFrameStrip (EditorContext& editorContext) : context (editorContext)
{
    table = context.wavetable (slot);
    setTitle ("Wavetable frames");
}

void WavetableFrameStrip::showOscillator (int oscillator)
{
    slot = oscillator == 1 ? 1 : 0;
    table = context.wavetable (slot);
    rebuildFrames();
    repaint();
}

void WavetableFrameStrip::show (const Display& display)
{
    auto playing = context.wavetable (slot);
    const bool newTable = playing != table;
    if (newTable)
    {
        table = std::move (playing);
        rebuildFrames();
    }
    if (newTable || ! (display == shown))
    {
        shown = display;
        repaint();
    }
}

WavetableFrameStrip::Bands WavetableFrameStrip::bands() const noexcept
{
    const float d = static_cast<float> (getHeight()) - 8.0f;
    return { static_cast<float> (getWidth()) - 8.0f, d, 0.3f * d };
}

ParamID WavetableFrameStrip::positionParameter() const noexcept { return slot == 1 ? ParamID::osc2_wt_pos : ParamID::osc1_wt_pos; }

void WavetableFrameStrip::resized() { rebuildFrames(); }

void WavetableFrameStrip::rebuildFrames()
{
    frames.clear();
    const auto b = bands();
    const int n = table != nullptr ? table->numFrames : 0;
    if (n <= 0 || b.inner <= 0.0f || b.height - b.preview <= 0.0f)
        return;
    const float row = (b.height - b.preview) / static_cast<float> (n);
    for (int i = 0; i < n; ++i)
    {
        const float framePosition = static_cast<float> (i) / static_cast<float> (std::max (n - 1, 1));
        const float centre = 4.0f + b.preview + static_cast<float> (i) * row + row * 0.5f;
        juce::Path path;
        for (int j = 0; j <= 128; ++j)
        {
            const float t = static_cast<float> (j) / 128.0f;
            const juce::Point<float> p { 4.0f + b.inner * t, centre - readWavetable (*table, 0, framePosition, t) * row * 0.4f };
            if (j == 0)
                path.startNewSubPath (p);
            else
                path.lineTo (p);
        }
        frames.push_back (std::move (path));
    }
}

void WavetableFrameStrip::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds().toFloat();
    g.setColour (palette::background);
    g.fillRoundedRectangle (bounds, 3.0f);
    if (frames.empty())
        rebuildFrames();
    if (frames.empty() || table == nullptr)
        return;

    const auto b = bands();
    const float stackTop = 4.0f + b.preview, stackHeight = b.height - b.preview;
    auto tint = palette::accent;
    if (shown.pan < -0.05f)
        tint = tint.interpolatedWith (palette::panLeftTint, std::abs (shown.pan) / 2.0f);
    else if (shown.pan > 0.05f)
        tint = tint.interpolatedWith (palette::panRightTint, shown.pan / 2.0f);
    const float brightness = 0.3f + 0.7f * shown.level;

    // Preview of the frame at the position.
    const float previewCentre = 4.0f + b.preview / 2.0f;
    juce::Path preview;
    for (int i = 0; i <= 200; ++i)
    {
        const float t = static_cast<float> (i) / 200.0f;
        const juce::Point<float> p { 4.0f + b.inner * t, previewCentre - readWavetable (*table, 0, shown.position, t) * 0.4f * b.preview };
        if (i == 0)
            preview.startNewSubPath (p);
        else
            preview.lineTo (p);
    }
    auto filled = preview;
    filled.lineTo (4.0f + b.inner, previewCentre);
    filled.lineTo (4.0f, previewCentre);
    filled.closeSubPath();
    g.setColour (tint.withAlpha (0.08f * brightness));
    g.fillPath (filled);
    g.setColour (tint.withAlpha (0.9f * brightness));
    g.strokePath (preview, juce::PathStrokeType (1.0f));
    g.setColour (palette::stripCentreLine);
    g.drawHorizontalLine (static_cast<int> (previewCentre), 4.0f, 4.0f + b.inner);
    g.setColour (palette::line);
    g.drawHorizontalLine (static_cast<int> (stackTop), 4.0f, 4.0f + b.inner);

    const int n = static_cast<int> (frames.size());
    for (int i = 0; i < n; ++i)
    {
        const float e = std::abs (static_cast<float> (i) / static_cast<float> (std::max (n - 1, 1)) - shown.position);
        const bool current = e < 0.05f;
        g.setColour (tint.withAlpha ((current ? 0.9f : std::max (0.0f, 1.0f - 5.0f * e) * 0.15f + 0.1f) * brightness));
        g.strokePath (frames[static_cast<std::size_t> (i)], juce::PathStrokeType (current ? 2.0f : 0.8f));
    }

    g.setColour (tint.withAlpha (brightness));
    g.drawLine (4.0f, stackTop + stackHeight * shown.position, 4.0f + b.inner, stackTop + stackHeight * shown.position, 2.0f);
    if (shown.unison > 1)
    {
        const float spread = shown.detune / 100.0f * 0.1f + shown.drift / 50.0f * 0.03f;
        const int voices = std::min (shown.unison, 16);
        g.setColour (tint.withAlpha (0.2f * brightness));
        for (int j = 0; j < voices; ++j)
        {
            const float at = shown.position - spread + 2.0f * spread * static_cast<float> (j) / static_cast<float> (shown.unison - 1);
            const float y = juce::jlimit (stackTop, stackTop + stackHeight, stackTop + stackHeight * at);
            g.drawLine (4.0f, y, 4.0f + b.inner, y, 1.0f);
        }
    }

    const float textHeight = std::min (b.height, 14.0f);
    g.setColour (palette::text.withAlpha (brightness));
    g.setFont (palette::font (10.0f));
    g.drawText ("WT " + juce::String (static_cast<int> (shown.position * 100.0f)) + "%",
                juce::Rectangle<float> (4.0f, 4.0f + b.height - textHeight, b.inner, textHeight), juce::Justification::centred, false);
    g.setColour (palette::line);
    g.drawRoundedRectangle (bounds, 3.0f, 1.0f);
}

void WavetableFrameStrip::setPositionFrom (float y)
{
    const auto b = bands();
    const float stack = b.height - b.preview;
    if (stack <= 0.0f)
        return;
    const float fraction = juce::jlimit (0.0f, 1.0f, (y - (4.0f + b.preview)) / stack);
    context.setParameterValueInGesture (positionParameter(), fraction);
    shown.position = fraction;
    repaint();
}

void WavetableFrameStrip::mouseDown (const juce::MouseEvent& e)
{
    dragging = true;
    context.beginParameterGesture (positionParameter());
    setPositionFrom (e.position.y);
}

void WavetableFrameStrip::mouseDrag (const juce::MouseEvent& e) { setPositionFrom (e.position.y); }

void WavetableFrameStrip::mouseUp (const juce::MouseEvent&)
{
    if (dragging)
        context.endParameterGesture (positionParameter());
    dragging = false;
}

std::unique_ptr<juce::AccessibilityHandler> WavetableFrameStrip::createAccessibilityHandler()
{
    return drawnControlHandler (*this, juce::AccessibilityRole::image, [this] { return spokenParameters (context, { positionParameter() }); });
}

} // namespace plumora
