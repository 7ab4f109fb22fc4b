// The main of the suites that need the toolkit: it starts wxWidgets with an application
// object that registers the PNG handler as the program's does, runs the tests and shuts the
// toolkit down.
//
// Each test process gets a home of its own (HOME and the XDG folders), so that tests run in
// parallel never share a settings file or a cache; and a display that cannot be opened ends
// the process at once with one line, before GTK would abort inside a test.
#include "support/TestAudio.h"
#include "support/WxAssertions.h"

#include <X11/Xlib.h>
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

// Whether the X server of DISPLAY accepts a connection; otherwise says so on one line.
bool DisplayOpens()
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        std::fprintf(stderr, "cannot open display: DISPLAY is not set\n");
        return false;
    }
    Display* connection = XOpenDisplay(display);
    if (!connection) {
        std::fprintf(stderr, "cannot open display %s\n", display);
        return false;
    }
    XCloseDisplay(connection);
    return true;
}

void UseHome(const vqtest::TempDir& home)
{
    setenv("HOME", home.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", home.File(".config").c_str(), 1);
    setenv("XDG_CACHE_HOME", home.File(".cache").c_str(), 1);
    setenv("XDG_DATA_HOME", home.File(".local/share").c_str(), 1);
}

}  // namespace

int main(int argc, char** argv)
{
    wxSetAssertHandler(FailOnAssert);
    testing::InitGoogleTest(&argc, argv);
    // CTest lists the tests at build time, where there may be no display.
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    if (!DisplayOpens())
        return 1;

    const vqtest::TempDir home;
    UseHome(home);
    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        wxLog::FlushActive();  // the toolkit's own reason
        std::fprintf(stderr, "cannot start wxWidgets on the display %s\n", std::getenv("DISPLAY"));
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
