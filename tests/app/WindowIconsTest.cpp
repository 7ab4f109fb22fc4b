// The window icons: six sizes in order, each the same picture as the logo image of its size.
#include "PictureChecks.h"
#include "VessarQuilixArtProvider.h"
#include "VessarQuilixIcons.h"

#include <gtest/gtest.h>
#include <wx/bitmap.h>
#include <wx/icon.h>

#include <string>

using namespace vqtest;

namespace {

class OpenArtProvider : public VessarQuilixArtProvider {
public:
    using VessarQuilixArtProvider::CreateBitmap;
};

const int kSizes[] = {16, 24, 32, 48, 64, 128};

TEST(VessarQuilixIconBundle, HoldsTheLogoAtEverySizeOfTheTitleBarAndTaskBarInIncreasingOrder)
{
    const wxIconBundle bundle = VessarQuilixIconBundle();
    const auto& sizes = kSizes;
    ASSERT_EQ(bundle.GetIconCount(), std::size(sizes));
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        const wxIcon icon = bundle.GetIconByIndex(i);
        ASSERT_TRUE(icon.IsOk());
        EXPECT_EQ(icon.GetWidth(), sizes[i]);
        EXPECT_EQ(icon.GetHeight(), sizes[i]);
        EXPECT_TRUE(bundle.GetIconOfExactSize(sizes[i]).IsOk());
    }
}

TEST(VessarQuilixIconBundle, EachIconIsTheLogoImageOfItsSize)
{
    const wxIconBundle bundle = VessarQuilixIconBundle();
    OpenArtProvider provider;
    for (int size : kSizes) {
        const std::string id = "vessarquilix_" + std::to_string(size) + "x" + std::to_string(size);
        SCOPED_TRACE(id);
        wxBitmap iconBitmap;
        iconBitmap.CopyFromIcon(bundle.GetIconOfExactSize(size));
        const wxImage icon = iconBitmap.ConvertToImage();
        const wxImage logo = provider.CreateBitmap(id, wxART_OTHER, wxDefaultSize).ConvertToImage();
        ASSERT_EQ(icon.GetSize(), logo.GetSize());
        int differing = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                differing += icon.GetRed(x, y) != logo.GetRed(x, y) || icon.GetGreen(x, y) != logo.GetGreen(x, y) ||
                             icon.GetBlue(x, y) != logo.GetBlue(x, y);
        EXPECT_EQ(differing, 0);
        EXPECT_EQ(DarkInkParts(icon).size(), 6u) << "four dots, an arrow and a circle";
    }
}

}  // namespace
