// Test main for the suites that use the toolkit's base library (no display).
#include "support/WxAssertions.h"

#include <gtest/gtest.h>
#include <wx/init.h>

int main(int argc, char** argv)
{
    wxSetAssertHandler(FailOnAssert);
    testing::InitGoogleTest(&argc, argv);
    wxInitializer toolkit;
    if (!toolkit.IsOk())
        return 1;
    return RUN_ALL_TESTS();
}
