// The bundle's shared object exports its three entry points and nothing else.
#include <elf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Names of the defined global or weak symbols of the dynamic symbol table; empty when the
// file is no 64-bit ELF object or its tables do not fit inside it.
std::vector<std::string> ExportedSymbols(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  const std::vector<char> file((std::istreambuf_iterator<char>(f)),
                               std::istreambuf_iterator<char>());
  std::vector<std::string> names;
  if (file.size() < sizeof(Elf64_Ehdr)) return names;
  Elf64_Ehdr eh;
  memcpy(&eh, file.data(), sizeof(eh));
  if (memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64) return names;
  auto section = [&](size_t i, Elf64_Shdr* out) {
    const size_t at = eh.e_shoff + i * sizeof(Elf64_Shdr);
    if (i >= eh.e_shnum || at + sizeof(Elf64_Shdr) > file.size()) return false;
    memcpy(out, file.data() + at, sizeof(*out));
    return out->sh_offset + out->sh_size <= file.size();
  };
  for (size_t i = 0; i < eh.e_shnum; ++i) {
    Elf64_Shdr sym, str;
    if (!section(i, &sym) || sym.sh_type != SHT_DYNSYM || !section(sym.sh_link, &str)) continue;
    for (size_t k = 0; k + 1 <= sym.sh_size / sizeof(Elf64_Sym); ++k) {
      Elf64_Sym s;
      memcpy(&s, file.data() + sym.sh_offset + k * sizeof(s), sizeof(s));
      const int bind = ELF64_ST_BIND(s.st_info);
      if (s.st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK)) continue;
      if (s.st_name >= str.sh_size) continue;
      const char* name = file.data() + str.sh_offset + s.st_name;
      names.emplace_back(name, strnlen(name, str.sh_size - s.st_name));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(TestPlugBundle, ExportsOnlyItsEntryPoints) {
  const std::vector<std::string> expected = {"TestPlug_Entry", "TestPlug_Factory",
                                             "TestPlug_ViewEntry"};
  EXPECT_EQ(ExportedSymbols(std::string(TESTPLUG_BUNDLE) + "/Contents/MacOS/TestPlug"), expected);
}

} // namespace
