// The printing system as CUPS answers for it.
#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/Printers.h"

// With no scheduler to ask there are no printers and so no default printer:
// an empty name, not a failure to report.
TEST(PrintersTest, NoSchedulerMeansNoDefaultPrinter)
{
    ::setenv("CUPS_SERVER", "/nonexistent/tabvane-test/cups.sock", 1);
    const Printers::Default found = printers().userDefault();
    EXPECT_TRUE(found.read) << found.error << " " << found.errorText;
    EXPECT_EQ(found.name, "");
    EXPECT_TRUE(printers().installed().empty());
}
