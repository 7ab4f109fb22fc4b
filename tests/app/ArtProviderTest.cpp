// The art provider: every id at its own size and pixel format, the ids matched exactly,
// unknown ids left to the toolkit, and pictures that show their subjects.
#include "PictureChecks.h"
#include "VessarQuilixArtProvider.h"

#include <gtest/gtest.h>
#include <wx/bitmap.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace vqtest;

namespace {

struct Art {
    const char* id;
    int width;
    int height;
    bool alpha;
};

const Art kArt[] = {
    {"conv_small", 36, 36, true},          {"label_b_alpha", 400, 100, true},
    {"vessarquilix_16x16", 16, 16, false}, {"vessarquilix_24x24", 24, 24, false},
    {"vessarquilix_32x32", 32, 32, false}, {"vessarquilix_48x48", 48, 48, false},
    {"vessarquilix_64x64", 64, 64, false}, {"vessarquilix_128x128", 128, 128, false},
    {"check_16x16", 16, 16, true},         {"check_24x24", 24, 24, true},
    {"check_32x32", 32, 32, true},         {"cross_16x16", 16, 16, true},
    {"cross_24x24", 24, 24, true},         {"cross_32x32", 32, 32, true},
};

// Opens the provider's own lookup to the tests.
class OpenArtProvider : public VessarQuilixArtProvider {
public:
    using VessarQuilixArtProvider::CreateBitmap;
};

wxImage Picture(const char* id)
{
    OpenArtProvider provider;
    return provider.CreateBitmap(id, wxART_OTHER, wxDefaultSize).ConvertToImage();
}

enum class Hue { kRed, kGreen };

// A mark in clear red or green ink, clear of the picture's edges.
void ExpectMarkOnTransparency(const wxImage& mark, Hue hue)
{
    EXPECT_TRUE(EdgeIsTransparent(mark));
    const wxColour ink = MeanInkColour(mark);
    const int strong = hue == Hue::kRed ? ink.Red() : ink.Green();
    for (int other : {int(hue == Hue::kRed ? ink.Green() : ink.Red()), int(ink.Blue())})
        EXPECT_GT(strong, other + 60);
}

TEST(VessarQuilixArtProvider, EveryIdComesAtItsOwnSizeAndPixelFormatWhateverIsAsked)
{
    OpenArtProvider provider;
    const wxSize requests[] = {wxDefaultSize, wxSize(8, 8), wxSize(64, 64), wxSize(500, 20)};
    for (const Art& art : kArt) {
        for (const wxSize& requested : requests) {
            for (const char* client : {wxART_OTHER, wxART_TOOLBAR}) {
                SCOPED_TRACE(std::string(art.id) + " asked at " + std::to_string(requested.x) + "x" +
                             std::to_string(requested.y) + " for " + client);
                const wxBitmap bitmap = provider.CreateBitmap(art.id, client, requested);
                ASSERT_TRUE(bitmap.IsOk());
                EXPECT_EQ(bitmap.GetSize(), wxSize(art.width, art.height));
                EXPECT_EQ(bitmap.HasAlpha(), art.alpha);
            }
        }
    }
}

TEST(VessarQuilixArtProvider, IdsMatchOnlyExactly)
{
    OpenArtProvider provider;
    for (const char* id : {"Check_16x16", "CHECK_16X16", "check_16x16 ", "check_16x16.png", "check", "",
                           "vessarquilix_96x96", "conv_small\n"}) {
        EXPECT_FALSE(provider.CreateBitmap(id, wxART_OTHER, wxDefaultSize).IsOk()) << '"' << id << '"';
    }
    EXPECT_FALSE(provider.CreateBitmap(wxART_FILE_OPEN, wxART_OTHER, wxDefaultSize).IsOk());
}

// The provider on the toolkit's stack, as the main window pushes it.
class PushedArtProvider : public testing::Test {
protected:
    void SetUp() override
    {
        m_toolkitFileOpen = wxArtProvider::GetBitmap(wxART_FILE_OPEN, wxART_OTHER);
        m_provider = new VessarQuilixArtProvider;
        wxArtProvider::Push(m_provider);
    }
    void TearDown() override { wxArtProvider::Delete(m_provider); }

    wxBitmap m_toolkitFileOpen;  // what the toolkit's own providers give
    VessarQuilixArtProvider* m_provider = nullptr;
};

TEST_F(PushedArtProvider, WindowsGetTheProgramsPicturesAtTheirOwnSize)
{
    for (const Art& art : kArt) {
        const wxBitmap bitmap = wxArtProvider::GetBitmap(art.id, wxART_OTHER, wxDefaultSize);
        ASSERT_TRUE(bitmap.IsOk()) << art.id;
        EXPECT_EQ(bitmap.GetSize(), wxSize(art.width, art.height)) << art.id;
    }
}

TEST_F(PushedArtProvider, OtherIdsGoOnToTheToolkitsProviders)
{
    EXPECT_FALSE(wxArtProvider::GetBitmap("Check_16x16", wxART_OTHER).IsOk());
    ASSERT_TRUE(m_toolkitFileOpen.IsOk());
    const wxBitmap fileOpen = wxArtProvider::GetBitmap(wxART_FILE_OPEN, wxART_OTHER);
    ASSERT_TRUE(fileOpen.IsOk());
    EXPECT_EQ(fileOpen.GetSize(), m_toolkitFileOpen.GetSize());
}

// Ink per column of a part, from its left edge.
std::vector<int> ColumnHeights(const InkPart& part)
{
    std::vector<int> heights(static_cast<std::size_t>(part.bounds.GetWidth()), 0);
    for (const wxPoint& p : part.pixels)
        ++heights[static_cast<std::size_t>(p.x - part.bounds.GetLeft())];
    return heights;
}

int CentreY(const InkPart& part)
{
    return part.bounds.GetTop() + part.bounds.GetHeight() / 2;
}

// The symbol of converting, as the eye takes it in at every size: four separate dots on the
// corners of a tetrahedron (one on top, two at the bottom, one between), then an arrow that
// points right, then a ring on the arrow's line, each clear of the others; the ring's top
// and left edges and the arrow's left edge sharp (fully dark: on the pixel grid).
TEST(ProgramPictures, TheSymbolIsFourDotsAnArrowIntoACircleAtEverySize)
{
    for (const char* id : {"vessarquilix_16x16", "vessarquilix_24x24", "vessarquilix_32x32", "vessarquilix_48x48",
                           "vessarquilix_64x64", "vessarquilix_128x128", "conv_small"}) {
        SCOPED_TRACE(id);
        const wxImage symbol = Picture(id);
        const std::vector<InkPart> parts = DarkInkParts(symbol);
        ASSERT_EQ(parts.size(), 6u);

        const InkPart& arrow = parts[4];
        const InkPart& ring = parts[5];
        std::vector<const InkPart*> dots;
        for (int i = 0; i < 4; ++i) {
            dots.push_back(&parts[i]);
            EXPECT_FALSE(parts[i].enclosesBackground);
            EXPECT_LE(parts[i].bounds.GetWidth(), symbol.GetWidth() / 7) << "a dot, not a stroke";
            EXPECT_LT(parts[i].bounds.GetRight(), arrow.bounds.GetLeft());
        }
        std::sort(dots.begin(), dots.end(), [](const InkPart* a, const InkPart* b) { return CentreY(*a) < CentreY(*b); });
        EXPECT_EQ(CentreY(*dots[2]), CentreY(*dots[3])) << "the two front corners of the base";
        EXPECT_LT(CentreY(*dots[0]), CentreY(*dots[1])) << "the apex on top";
        EXPECT_LT(CentreY(*dots[1]), CentreY(*dots[2])) << "the back corner between";
        const int baseLeft = std::min(dots[2]->bounds.GetLeft(), dots[3]->bounds.GetLeft());
        const int baseRight = std::max(dots[2]->bounds.GetRight(), dots[3]->bounds.GetRight());
        for (const InkPart* upper : {dots[0], dots[1]}) {
            EXPECT_GT(upper->bounds.GetLeft(), baseLeft);
            EXPECT_LT(upper->bounds.GetRight(), baseRight);
        }

        // An arrowhead: tallest before its tip, which is narrow and points right.
        EXPECT_FALSE(arrow.enclosesBackground);
        EXPECT_TRUE(arrow.sharpLeft);
        const std::vector<int> heights = ColumnHeights(arrow);
        const auto tallest = std::max_element(heights.begin(), heights.end());
        EXPECT_GE(*tallest, 3);
        EXPECT_LE(heights.back() * 2, *tallest);
        EXPECT_LT(tallest - heights.begin(), static_cast<long>(heights.size()) - 1);
        EXPECT_LT(arrow.bounds.GetRight(), ring.bounds.GetLeft());
        EXPECT_NEAR(CentreY(arrow), CentreY(ring), 1) << "the arrow points at the circle";

        // A round ring, the largest part.
        EXPECT_TRUE(ring.enclosesBackground);
        EXPECT_TRUE(ring.sharpTop);
        EXPECT_TRUE(ring.sharpLeft);
        EXPECT_NEAR(ring.bounds.GetWidth(), ring.bounds.GetHeight(), 1);
        EXPECT_GE(ring.bounds.GetHeight() * 20, symbol.GetHeight() * 7);
    }
}

TEST(ProgramPictures, TheConvertButtonsSymbolIsBlackOnTransparency)
{
    const wxImage logo = Picture("conv_small");
    EXPECT_TRUE(EdgeIsTransparent(logo));
    int dark = 0, darkest = 255 * 3;
    for (int y = 0; y < logo.GetHeight(); ++y)
        for (int x = 0; x < logo.GetWidth(); ++x)
            if (IsDarkInk(logo, x, y)) {
                ++dark;
                darkest = std::min(darkest, logo.GetRed(x, y) + logo.GetGreen(x, y) + logo.GetBlue(x, y));
            }
    EXPECT_GT(dark, 0);
    EXPECT_EQ(darkest, 0);
}

TEST(ProgramPictures, LogoImagesAreDarkOnLightGrey)
{
    for (const char* id : {"vessarquilix_16x16", "vessarquilix_24x24", "vessarquilix_32x32", "vessarquilix_48x48",
                           "vessarquilix_64x64", "vessarquilix_128x128"}) {
        SCOPED_TRACE(id);
        const wxImage logo = Picture(id);
        const int last = logo.GetWidth() - 1;
        for (const wxPoint corner : {wxPoint(0, 0), wxPoint(last, 0), wxPoint(0, last), wxPoint(last, last)}) {
            const unsigned char grey = logo.GetRed(corner.x, corner.y);
            EXPECT_GE(grey, 180);
            EXPECT_LE(grey, 235);
            EXPECT_EQ(logo.GetGreen(corner.x, corner.y), grey);
            EXPECT_EQ(logo.GetBlue(corner.x, corner.y), grey);
        }
        const wxColour ink = MeanInkColour(logo);
        EXPECT_LT(ink.Red() + ink.Green() + ink.Blue(), 3 * 60);
    }
}

TEST(ProgramPictures, CheckMarksAreGreenAndRiseToTheRight)
{
    for (const char* id : {"check_16x16", "check_24x24", "check_32x32"}) {
        SCOPED_TRACE(id);
        const wxImage check = Picture(id);
        ExpectMarkOnTransparency(check, Hue::kGreen);
        // The long stroke ends high on the right; the short one starts lower on the left.
        const int half = check.GetWidth() / 2;
        const wxRect left = InkBounds(check.GetSubImage(wxRect(0, 0, half, check.GetHeight())));
        const wxRect right = InkBounds(check.GetSubImage(wxRect(half, 0, half, check.GetHeight())));
        EXPECT_LT(right.GetTop() + check.GetHeight() / 8, left.GetTop());
    }
}

TEST(ProgramPictures, CrossesAreRedXs)
{
    for (const char* id : {"cross_16x16", "cross_24x24", "cross_32x32"}) {
        SCOPED_TRACE(id);
        const wxImage cross = Picture(id);
        ExpectMarkOnTransparency(cross, Hue::kRed);
        EXPECT_EQ(InkRunsAlongMiddleRow(cross), 1);  // where the two strokes cross
        EXPECT_EQ(InkRunsAlongDiagonal(cross), 1);   // along one stroke
        const wxRect bounds = InkBounds(cross);
        EXPECT_EQ(bounds.GetLeft(), cross.GetWidth() - 1 - bounds.GetRight());  // symmetric
    }
}

TEST(ProgramPictures, NameLabelShowsTwelveThinBlackLettersInTheMiddle)
{
    const wxImage label = Picture("label_b_alpha");
    EXPECT_TRUE(EdgeIsTransparent(label));
    EXPECT_EQ(InkColumnGroups(label), 12);  // V E S S A R Q U I L I X
    const wxColour ink = MeanInkColour(label);
    EXPECT_LT(ink.Red() + ink.Green() + ink.Blue(), 3 * 40);

    const wxRect bounds = InkBounds(label);
    EXPECT_GT(bounds.GetWidth(), label.GetWidth() * 7 / 10);
    EXPECT_NEAR(bounds.GetLeft(), label.GetWidth() - 1 - bounds.GetRight(), 3);
    EXPECT_GT(bounds.GetHeight(), label.GetHeight() / 4);
    EXPECT_NEAR(bounds.GetTop(), label.GetHeight() - 1 - bounds.GetBottom(), 6);

    // Thin letters: strokes a couple of pixels wide cover a small share of the text's box.
    int inked = 0;
    for (int y = bounds.GetTop(); y <= bounds.GetBottom(); ++y)
        for (int x = bounds.GetLeft(); x <= bounds.GetRight(); ++x)
            inked += IsInk(label, x, y);
    EXPECT_LT(inked, bounds.GetWidth() * bounds.GetHeight() / 6);
}

}  // namespace
