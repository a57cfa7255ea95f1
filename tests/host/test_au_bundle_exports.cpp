// The bundle's shared object exports its three entry points and nothing else, and keeps its
// thread-locals out of dynamic TLS.
#include "support/elf_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using elf_test::DynamicTlsRelocations;
using elf_test::ExportedSymbols;

TEST(TestPlugBundle, ExportsOnlyItsEntryPoints) {
  const std::vector<std::string> expected = {"TestPlug_Entry", "TestPlug_Factory",
                                             "TestPlug_ViewEntry"};
  EXPECT_EQ(ExportedSymbols(std::string(TESTPLUG_BUNDLE) + "/Contents/MacOS/TestPlug"), expected);
}

// The sanitizer runtimes misread a dlopen'ed module's dynamic TLS now and then; a bundle
// built as ours are has none.
TEST(TestPlugBundle, ThreadLocalsNeedNoDynamicTlsBlock) {
  EXPECT_EQ(DynamicTlsRelocations(std::string(TESTPLUG_BUNDLE) + "/Contents/MacOS/TestPlug"), 0);
}

} // namespace
