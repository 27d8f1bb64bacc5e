#include "app/Platform.h"

#include <gtest/gtest.h>

namespace kvq {
namespace {

TEST(PlatformTest, SetupFilterBecomesQtFilterWithEveryMask) {
    EXPECT_EQ(QtFileFilter(kSetupFileFilter).toStdString(),
              "KVQ Setups (*.bb? *.br? *.co? *.ea? *.fe? *.lo? *.mu?);;Brabham (*.bb?);;"
              "BRM (*.br?);;Coventry (*.co?);;Eagle (*.ea?);;Ferrari (*.fe?);;Lotus (*.lo?);;"
              "Murusama (*.mu?);;All Files (*.*)");
    EXPECT_EQ(QtFileFilter("Text|*.txt;;*.log|Odd").toStdString(), "Text (*.txt *.log)");
    EXPECT_EQ(QtFileFilter("").toStdString(), "");
}

} // namespace
} // namespace kvq
