#include "setup/ImportTemplate.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kvq {
namespace {

// The bundled examples are the example setup under three names (six, five and four gears).
// KVQ_WRITE_EXAMPLES=1 writes them anew from the record the program holds.
TEST(ExamplesTest, BundledSetupsAreTheExampleRecordByteForByte) {
    const auto& bytes = ImportTemplate().ToBytes();
    const std::vector<std::uint8_t> expected(bytes.begin(), bytes.end());
    for (const char* name : {"default.br1", "default.fe2", "default.lo3"}) {
        const std::string path = (test::SourceDir() / "examples" / name).string();
        if (const char* write = std::getenv("KVQ_WRITE_EXAMPLES"); write && *write == '1')
            test::WriteBytes(path, expected);
        EXPECT_EQ(test::ReadBytes(path), expected) << name;
    }
}

} // namespace
} // namespace kvq
