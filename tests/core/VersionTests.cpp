#include <gtest/gtest.h>

#include "Version.h"

TEST(VersionCaption, AppendsThreeBlanksVerOneBlankAndTheDottedVersion) {
    EXPECT_EQ(kestrin::WithVersion(L"Kestrin"), L"Kestrin   Ver. 1.0.0");
    EXPECT_EQ(kestrin::WithVersion(L""), L"   Ver. 1.0.0");
}
