// The main of the suites that need the toolkit: it starts wxWidgets with an application
// object that registers the PNG handler as the program's does, runs the tests and shuts the
// toolkit down.
#include "support/WxAssertions.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>

namespace {

class TestApp : public wxApp {
public:
    bool OnInit() override
    {
        wxImage::AddHandler(new wxPNGHandler);
        return true;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    wxSetAssertHandler(FailOnAssert);
    testing::InitGoogleTest(&argc, argv);
    // CTest lists the tests at build time, where there may be no display.
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();

    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        wxLog::FlushActive();  // the toolkit's own reason
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "cannot start wxWidgets on the display \"%s\"\n", display ? display : "");
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
