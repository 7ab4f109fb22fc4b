// The window's first start from an installed copy (`cmake --install` of this build into a
// prefix of the test's own, the program running from elsewhere), with the demo recording
// and without it, and the folder the outputs go to when the take's folder cannot be
// written to.
#include "WindowDriver.h"

#include "VQParams.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/statusbr.h>
#include <wx/stdpaths.h>
#include <wx/textctrl.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

// Makes a folder one this user cannot write to, as a read-only medium is: its write
// permissions go, and where that is not enough (for root) it is made immutable. Undone at
// the end, so that the folder can be removed.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::string& path) : m_path(path)
    {
        fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        if (Made())
            return;
        m_fd = open(path.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (m_fd >= 0 && ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            m_immutable = ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
    }
    ~ReadOnlyFolder()
    {
        int flags = 0;
        if (m_immutable && ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
        }
        if (m_fd >= 0)
            close(m_fd);
        fs::permissions(m_path, fs::perms::owner_write, fs::perm_options::add);
    }
    bool Made() const { return access(m_path.c_str(), W_OK) != 0; }

private:
    std::string m_path;
    int m_fd = -1;
    bool m_immutable = false;
};

// This build installed into a prefix of the test's own, and the program taken as running
// from its bin/ (the toolkit finds the prefix above the executable's bin/ that way).
class InstalledFirstStart : public WindowTest {
protected:
    InstalledFirstStart() : m_previousPrefix(wxStandardPaths::Get().GetInstallPrefix())
    {
        const std::string install = std::string(VQ_CMAKE_COMMAND) + " --install \"" VQ_BUILD_DIR "\" --prefix \"" +
                                    prefix.Path() + "\" > /dev/null";
        installed = std::system(install.c_str()) == 0;
        wxStandardPaths::Get().SetInstallPrefix(prefix.Path());
    }
    ~InstalledFirstStart() override { wxStandardPaths::Get().SetInstallPrefix(m_previousPrefix); }

    std::string Data(const std::string& name) const { return prefix.File("share/vessarquilix/" + name); }
    // The user's documents folder, as the desktop's user-dirs.dirs names it.
    std::string Documents() const
    {
        fs::create_directories(home.File("Papers"));
        fs::create_directories(home.File(".config"));
        std::ofstream(home.File(".config/user-dirs.dirs")) << "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n";
        return home.File("Papers");
    }
    wxString State() const { return window->m_statusBar->GetStatusText(0); }

    TempDir prefix;
    bool installed = false;

private:
    wxString m_previousPrefix;
};

TEST_F(InstalledFirstStart, OffersTheInstalledDemoWhereverTheProgramRunsFromAndWritesWhereItMay)
{
    ASSERT_TRUE(installed);
    ASSERT_TRUE(fs::exists(Data("demo/demoF.wav"))) << "the demo is installed with the program";
    const std::string documents = Documents();
    // The demo's folder is the program's own, which a user cannot write to.
    ReadOnlyFolder readOnly(Data("demo"));
    if (!readOnly.Made())
        GTEST_SKIP() << "no folder here can be made read-only";
    Open();  // from the test's own working directory, which holds no demo/ or filters/
    EXPECT_EQ(window->m_fluFrdText->GetValue(), Data("demo/demoF.wav"));
    EXPECT_EQ(window->m_bldBruText->GetValue(), Data("demo/demoR.wav"));
    EXPECT_EQ(Record().GetFiltersDir(), Data("filters")) << "the installed filters";
    EXPECT_EQ(Record().GetDocsDir(), Data("docs"));
    EXPECT_EQ(window->m_statusBar->GetStatusText(1), "48000 Hz");
    EXPECT_EQ(window->m_statusBar->GetStatusText(2), "512 smpls");
    EXPECT_TRUE(window->m_convertButton->IsEnabled());

    // Outputs go to the documents folder, and the status bar says so.
    EXPECT_EQ(window->m_folderText->GetValue(), documents);
    EXPECT_EQ(State(), "The outputs go to " + documents + ": the take's folder cannot be written to");
    Click(window->m_convertButton);
    ASSERT_EQ(window->messages.size(), 1u);
    EXPECT_EQ(window->messages[0].text.BeforeFirst('\n'), "Conversion done with success!!")
        << window->messages[0].text;
    EXPECT_TRUE(window->messages[0].text.Contains("\nFilters: filters (nominal: 15 mm cardioid, 512 taps"))
        << "the box tells the filters' design:\n" << window->messages[0].text;
    EXPECT_TRUE(fs::exists(documents + "/demo_WXYZ.wav"));
    EXPECT_EQ(std::distance(fs::directory_iterator(Data("demo")), fs::directory_iterator()), 2);
}

TEST_F(InstalledFirstStart, WithoutTheDemoStartsEmptyWithConvertGreyedOut)
{
    ASSERT_TRUE(installed);
    fs::remove_all(Data("demo"));
    Open();
    EXPECT_EQ(window->m_fluFrdText->GetValue(), "");
    EXPECT_EQ(window->m_bldBruText->GetValue(), "");
    EXPECT_EQ(window->Outputs(), std::vector<wxString>(6, wxString()));
    EXPECT_FALSE(window->m_convertButton->IsEnabled());
    EXPECT_EQ(State(), window->m_fluFrdText->GetHint());
    EXPECT_EQ(Record().GetFiltersDir(), Data("filters"));

    // Reset starts again as a first start: still no made-up names.
    Type(window->m_fluFrdText, work.File("liveF.wav"));
    EXPECT_TRUE(window->m_convertButton->IsEnabled());
    EXPECT_EQ(State(), "Ready.");
    window->questionAnswers = {true};
    ChooseMenu(window, ID_MENU_RESET);
    EXPECT_EQ(window->m_fluFrdText->GetValue(), "");
    EXPECT_FALSE(window->m_convertButton->IsEnabled());
}

// A take of the user's on a medium that cannot be written to (a recorder's card mounted
// read-only): the outputs go to the home folder when the desktop names no documents folder.
class ReadOnlyTake : public WindowTest {};

TEST_F(ReadOnlyTake, TheOutputsGoToAFolderTheUserCanWriteTo)
{
    fs::create_directories(work.File("card"));
    fs::create_directories(work.File("mine"));
    for (const char* name : {"card/liveF.wav", "card/liveR.wav", "mine/liveF.wav", "mine/liveR.wav"})
        WriteChannels(work.File(name), {Noise(100, 1), Noise(100, 2)});
    ReadOnlyFolder readOnly(work.File("card"));
    if (!readOnly.Made())
        GTEST_SKIP() << "no folder here can be made read-only";
    Open();
    Type(window->m_fluFrdText, work.File("card/liveF.wav"));
    EXPECT_EQ(window->m_folderText->GetValue(), home.Path());
    EXPECT_EQ(Record().GetOutputPath(0), home.File("live_WXYZ.wav"));
    const wxString note = window->m_statusBar->GetStatusText(0);
    EXPECT_EQ(note, "The outputs go to " + home.Path() + ": the take's folder cannot be written to");

    // A folder the user chooses needs no note; nor does a take in a folder it can write to.
    Type(window->m_folderText, work.File("mine"));
    EXPECT_EQ(window->m_statusBar->GetStatusText(0), "Ready.");
    Type(window->m_fluFrdText, work.File("card/liveF.wav"));
    EXPECT_EQ(window->m_statusBar->GetStatusText(0), note) << "a new take: the stand-in folder again";
    Type(window->m_fluFrdText, work.File("mine/liveF.wav"));
    EXPECT_EQ(window->m_folderText->GetValue(), work.File("mine"));
    EXPECT_EQ(window->m_statusBar->GetStatusText(0), "Ready.");
}

}  // namespace
