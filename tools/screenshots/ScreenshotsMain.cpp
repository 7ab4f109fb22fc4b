// vq-screenshots: opens the main window (in B-Format, 5.1 or stereo mode), the preferences
// dialog or the box a conversion that clipped samples ends with, and saves a picture of it
// as PNG, for the documentation. Run it under Xvfb from the staged tree, with a HOME of its
// own (it writes the window's settings):
//   xvfb-run vq-screenshots main|main-5.1|main-stereo|preferences|message FILE.png
// The box is the real one: the demo take converted at +15 dB into ./converted.
#include "VQConfig.h"
#include "VessarQuilixGUI.h"
#include "VessarQuilixPrefsDlg.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <functional>

namespace {

// Time for the window system to map and paint what was just shown.
constexpr int kSettleMilliseconds = 700;

bool Capture(wxWindow* window, const wxString& path)
{
    const wxRect rect = window->GetScreenRect();
    wxBitmap picture(rect.width, rect.height);
    wxMemoryDC memory(picture);
    wxScreenDC screen;
    memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    memory.SelectObject(wxNullBitmap);
    const bool saved = picture.SaveFile(path, wxBITMAP_TYPE_PNG);
    std::printf("%s %s (%d x %d)\n", saved ? "wrote" : "could not write", static_cast<const char*>(path.utf8_str()),
                rect.width, rect.height);
    return saved;
}

// The message box is the toolkit's native dialog, which the toolkit's screen context cannot
// read: the picture of the top window is taken from the X server itself.
bool CaptureTopWindow(const wxString& path)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    // The root's children come bottom to top: the last one shown is the box on top.
    Window root = 0, parent = 0, *children = nullptr, focused = 0;
    unsigned count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a{};
            if (XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable)
                focused = children[i];
        }
        if (children)
            XFree(children);
    }
    XWindowAttributes attributes{};
    bool saved = false;
    if (focused && XGetWindowAttributes(display, focused, &attributes)) {
        XImage* shot = XGetImage(display, focused, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
        if (shot) {
            wxImage picture(attributes.width, attributes.height);
            for (int y = 0; y < attributes.height; ++y)
                for (int x = 0; x < attributes.width; ++x) {
                    const unsigned long pixel = XGetPixel(shot, x, y);
                    picture.SetRGB(x, y, (pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
                }
            XDestroyImage(shot);
            saved = picture.SaveFile(path, wxBITMAP_TYPE_PNG);
            std::printf("%s %s (%d x %d)\n", saved ? "wrote" : "could not write",
                        static_cast<const char*>(path.utf8_str()), attributes.width, attributes.height);
        }
    }
    XCloseDisplay(display);
    return saved;
}

// The window opens with the settings of a user who chose them: 5.1 mode shows its six
// files and the LFE, B-Format mode its one file, stereo mode its pair; the message comes
// from a gain that clips.
void PrepareSettings(const wxString& what)
{
    const bool surround = what == "main-5.1";
    VQConfig config;
    config.Write("/VessarQuilixGUI/Mode", surround ? "5.1" : what == "main-stereo" ? "stereo" : "b-format");
    config.Write("/VessarQuilixGUI/FileLayout", surround ? 0L : 2L);
    config.Write("/VessarQuilixGUI/LowFreqsInLfe", surround);
    config.Write("/VessarQuilixGUI/BFormatGain", what == "message" ? 15L : -3L);
    config.Flush();
}

// The main window, its output folder and its Convert button opened to the tool; the box a
// run ends with is shown for real and taken once it is painted.
class ConvertingWindow : public VessarQuilixGUI {
public:
    using VessarQuilixFrame::m_convertButton;
    using VessarQuilixFrame::m_folderText;
    std::function<void()> whenTheBoxShows;

protected:
    int ShowMessage(const wxString& title, const wxString& message, long style, const wxString& helpLabel) override
    {
        if (whenTheBoxShows)
            CallAfter(whenTheBoxShows);
        return VessarQuilixGUI::ShowMessage(title, message, style, helpLabel);
    }
};

// Shows the main window, or the preferences dialog alone, and captures it once it has been
// painted. One picture a run: the screen is read only once per process.
class ScreenshotApp : public wxApp {
public:
    bool OnInit() override
    {
        const wxString what = argc == 3 ? argv[1] : wxString();
        if (what != "main" && what != "main-5.1" && what != "main-stereo" && what != "preferences" &&
            what != "message") {
            std::fprintf(stderr, "usage: vq-screenshots main|main-5.1|main-stereo|preferences|message FILE.png\n");
            return false;
        }
        wxImage::AddHandler(new wxPNGHandler);
        m_path = argv[2];
        PrepareSettings(what);
        ConvertingWindow* window = new ConvertingWindow;
        m_window = window;
        m_window->Move(0, 0);
        m_shown = m_window;
        if (what == "preferences") {
            m_prefs = new VessarQuilixPrefsDlg(m_window, const_cast<VQParams*>(&m_window->Params()));
            m_prefs->Move(0, 0);
            m_shown = m_prefs;
        }
        m_shown->Show();
        m_timer.Bind(wxEVT_TIMER, &ScreenshotApp::OnTimer, this);
        if (what == "message") {
            // The box a conversion that clipped samples ends with, taken while it is open.
            m_message = true;
            window->whenTheBoxShows = [this] { m_timer.StartOnce(kSettleMilliseconds); };
            window->m_folderText->SetValue(wxGetCwd() + "/converted");
            CallAfter([this, window] {
                wxCommandEvent press(wxEVT_BUTTON, window->m_convertButton->GetId());
                press.SetEventObject(window->m_convertButton);
                window->m_convertButton->GetEventHandler()->ProcessEvent(press);
                m_window->Destroy();
            });
            return true;
        }
        // The pointer rests in a corner away from the windows, so that no tooltip shows.
        const wxSize screen = wxGetDisplaySize();
        wxUIActionSimulator().MouseMove(screen.x - 1, screen.y - 1);
        m_timer.StartOnce(kSettleMilliseconds);
        return true;
    }
    int OnExit() override { return m_ok ? 0 : 1; }

private:
    void OnTimer(wxTimerEvent&)
    {
        if (m_message) {
            m_ok = CaptureTopWindow(m_path);
            wxUIActionSimulator().Char(WXK_RETURN);  // closes the box
            return;
        }
        m_ok = Capture(m_shown, m_path);
        if (m_prefs)
            m_prefs->Destroy();
        m_window->Destroy();
    }

    wxString m_path;
    VessarQuilixGUI* m_window = nullptr;
    VessarQuilixPrefsDlg* m_prefs = nullptr;
    wxWindow* m_shown = nullptr;
    wxTimer m_timer;
    bool m_ok = false;
    bool m_message = false;
};

}  // namespace

wxIMPLEMENT_APP(ScreenshotApp);
