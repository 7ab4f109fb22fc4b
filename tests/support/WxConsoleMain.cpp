// Test main for the suites that use the toolkit's base library (no display).
#include <gtest/gtest.h>
#include <wx/debug.h>
#include <wx/string.h>
#include <wx/init.h>

// A failed toolkit assertion fails the running test instead of opening a dialog.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_str(), line)
        << "wxWidgets assertion in " << func.utf8_str() << ": " << cond.utf8_str() << " " << msg.utf8_str();
}

int main(int argc, char** argv)
{
    wxSetAssertHandler(FailOnAssert);
    testing::InitGoogleTest(&argc, argv);
    wxInitializer toolkit;
    if (!toolkit.IsOk())
        return 1;
    return RUN_ALL_TESTS();
}
