// Toolkit assertions in the tests: a failed one fails the running test instead of opening
// a dialog that would wait for a user.
#pragma once

#include <gtest/gtest.h>
#include <wx/debug.h>
#include <wx/string.h>

inline void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                         const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_str(), line)
        << "wxWidgets assertion in " << func.utf8_str() << ": " << cond.utf8_str() << " " << msg.utf8_str();
}
