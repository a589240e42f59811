#include "platform/foundation/StringFormat.h"

#include <gtest/gtest.h>

#include "platform/foundation/Localized.h"

TEST(StringFormat, FillsConversionsInOrder) {
    EXPECT_EQ(formatText("Could not open the database %@", {"/x.db"}),
              "Could not open the database /x.db");
    EXPECT_EQ(formatText("%ld of %d: %s%%", {"3", "7", "ok"}), "3 of 7: ok%");
    // Missing arguments leave nothing behind; a lone percent stays.
    EXPECT_EQ(formatText("a %@ b %@", {"1"}), "a 1 b ");
    EXPECT_EQ(formatText("100% sure", {}), "100% sure");
    // An argument holding a conversion is not expanded again.
    EXPECT_EQ(formatText("%@-%@", {"%@", "x"}), "%@-x");
}

TEST(Localized, UsesTheInstalledProvider) {
    EXPECT_EQ(localizedString("Error"), "Error");
    setLocalizedStringProvider([](const char* key) { return std::string("[") + key + "]"; });
    EXPECT_EQ(localizedFormat("Row %ld", {"5"}), "[Row 5]");
    setLocalizedStringProvider(nullptr);
    EXPECT_EQ(localizedString("Error"), "Error");
}
