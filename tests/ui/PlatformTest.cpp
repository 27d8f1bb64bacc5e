#include "app/Platform.h"
#include "QtPrinters.h"

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

#include <QLocale>

#include <cstdlib>
#include <string>

namespace kvq {
namespace {

// The suite runs a second time with a comma locale for numbers; this proves that run has one.
TEST(LocaleTest, TheCommaLocaleRunReallyHasAComma) {
    const char* numeric = std::getenv("LC_NUMERIC");
    // Checked only in that run; elsewhere the user's own locale decides.
    if (numeric && std::string(numeric).rfind("de_DE", 0) == 0) {
        EXPECT_EQ(QLocale::system().decimalPoint(), ",");
    }
}

} // namespace
} // namespace kvq
