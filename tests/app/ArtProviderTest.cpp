// The art provider: every id at its own size and pixel format, the ids matched exactly,
// unknown ids left to the toolkit, and pictures that show their subjects.
#include "PictureChecks.h"
#include "VessarQuilixArtProvider.h"

#include <gtest/gtest.h>
#include <wx/bitmap.h>

#include <string>

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
    {"vessarquilix_16x16", 16, 16, false}, {"vessarquilix_32x32", 32, 32, false},
    {"vessarquilix_48x48", 48, 48, false}, {"vessarquilix_128x128", 128, 128, false},
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
                           "vessarquilix_64x64", "conv_small\n"}) {
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

TEST(ProgramPictures, ConvertButtonShowsABlackCircleWithAnXOnTransparency)
{
    const wxImage logo = Picture("conv_small");
    EXPECT_TRUE(EdgeIsTransparent(logo));
    EXPECT_EQ(InkRunsAlongMiddleRow(logo), 3);  // circle, X, circle
    EXPECT_EQ(InkRunsAlongDiagonal(logo), 3);
    const wxColour ink = MeanInkColour(logo);
    EXPECT_LT(ink.Red() + ink.Green() + ink.Blue(), 3 * 40);
}

TEST(ProgramPictures, LogoImagesAreDarkOnLightGrey)
{
    for (const char* id : {"vessarquilix_16x16", "vessarquilix_32x32", "vessarquilix_48x48", "vessarquilix_128x128"}) {
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
        EXPECT_EQ(InkRunsAlongMiddleRow(logo), 3);
        EXPECT_EQ(InkRunsAlongDiagonal(logo), 3);
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
