// The editor at the scales hosts ask for on high-density screens: drawn at
// the screen's resolution (sections' cached pictures are made at the scale,
// not enlarged), hit where it is drawn, and never at a scale no screen shows.

#include "EditorTestSupport.h"
#include "host/EditorPoints.h"

#include "editor/controls/PlumKnob.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace plumora;

namespace
{
void forEachComponent (juce::Component& root, const std::function<void (juce::Component&)>& visit)
{
    for (auto* child : root.getChildren())
    {
        visit (*child);
        forEachComponent (*child, visit);
    }
}

// The share of pixels two pictures of the same size show clearly differently.
double shareDifferent (const juce::Image& a, const juce::Image& b)
{
    int different = 0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt (x, y), q = b.getPixelAt (x, y);
            different += std::abs (p.getRed() - q.getRed()) > 8 || std::abs (p.getGreen() - q.getGreen()) > 8
                                 || std::abs (p.getBlue() - q.getBlue()) > 8
                             ? 1
                             : 0;
        }
    return static_cast<double> (different) / (a.getWidth() * a.getHeight());
}
} // namespace

// At 100, 150 and 200 % the PRO page is the page drawn directly at that
// scale: a cached layer made at another scale and enlarged, or one landing
// between the screen's pixels, would blur every edge.
TEST (HiDpi, CachedSectionsDrawAsSharpAsDirectDrawingAtEveryScale)
{
    for (const float scale : { 1.0f, 1.5f, 2.0f })
    {
        test::EditorFixture f (0);
        auto& editor = *f.editor;
        editor.setScaleFactor (scale);
        // A picture at 1 first, so the caches hold pictures of the wrong
        // scale when the picture at the scale is taken.
        editor.createComponentSnapshot (editor.getLocalBounds(), true, 1.0f);
        const auto cached = editor.createComponentSnapshot (editor.getLocalBounds(), true, scale);
        int cachedLayers = 0;
        forEachComponent (editor, [&cachedLayers] (juce::Component& c)
        {
            cachedLayers += c.getCachedComponentImage() != nullptr ? 1 : 0;
            c.setBufferedToImage (false);
        });
        EXPECT_EQ (cachedLayers >= 10, scale != 1.5f) << "the sections are cached at whole-number scales only";
        const auto direct = editor.createComponentSnapshot (editor.getLocalBounds(), true, scale);
        ASSERT_EQ (cached.getBounds(), direct.getBounds());
        EXPECT_EQ (cached.getWidth(), juce::roundToInt (1200 * scale));
        EXPECT_LT (shareDifferent (cached, direct), 0.001) << "at scale " << scale;
    }
}

// A press on a scaled window lands on what is drawn there.
TEST (HiDpi, PressesLandOnTheSameControlAtEveryScale)
{
    test::EditorFixture f (0);
    juce::Component window;
    window.setSize (3600, 2580);
    window.setVisible (true);
    window.addAndMakeVisible (*f.editor);
    for (const float scale : { 1.0f, 1.5f, 2.0f })
    {
        f.editor->setScaleFactor (scale);
        const auto physical = (test::kFilterCutoffKnob.toFloat() * scale).roundToInt();
        auto* knob = dynamic_cast<PlumKnob*> (window.getComponentAt (physical));
        ASSERT_NE (knob, nullptr) << "at scale " << scale;
        EXPECT_EQ (knob->paramId, ParamID::filt_cutoff) << "at scale " << scale;
    }
    window.removeChildComponent (f.editor.get());
}

// Hosts have asked for scales of 0 and 10; the editor takes the nearest one
// a screen can show.
TEST (HiDpi, ScalesNoScreenCanShowAreLimited)
{
    test::EditorFixture f (0);
    for (const auto& [asked, taken] : { std::pair { 0.0f, 1.0f }, { -2.0f, 1.0f }, { std::numeric_limits<float>::quiet_NaN(), 1.0f },
                                        { std::numeric_limits<float>::infinity(), 1.0f }, { 0.25f, 0.5f }, { 10.0f, 3.0f }, { 2.0f, 2.0f } })
    {
        f.editor->setScaleFactor (asked);
        EXPECT_FLOAT_EQ (f.editor->getTransform().mat00, taken) << "asked " << asked;
        EXPECT_GT (f.editor->getBoundsInParent().getWidth(), 0);
    }
}
