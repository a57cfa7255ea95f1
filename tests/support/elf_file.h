#pragma once
// Reads what a test asks of a built shared object: its exported names and the relocations
// that would make the loader hand out dynamic TLS. Every table is checked to fit in the file.

#include <elf.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace elf_test {

// A 64-bit ELF file's bytes and sections; no sections when it is none or its table does not
// fit inside it.
struct ElfFile {
  explicit ElfFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    file.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    if (file.size() < sizeof(Elf64_Ehdr)) return;
    memcpy(&eh, file.data(), sizeof(eh));
    if (memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64) return;
    count = eh.e_shnum;
  }
  bool section(size_t i, Elf64_Shdr* out) const {
    const size_t at = eh.e_shoff + i * sizeof(Elf64_Shdr);
    if (i >= count || at + sizeof(Elf64_Shdr) > file.size()) return false;
    memcpy(out, file.data() + at, sizeof(*out));
    return out->sh_offset + out->sh_size <= file.size();
  }
  std::vector<char> file;
  Elf64_Ehdr eh{};
  size_t count = 0;
};

// Names of the defined global or weak symbols of the dynamic symbol table.
std::vector<std::string> ExportedSymbols(const std::string& path) {
  const ElfFile elf(path);
  const std::vector<char>& file = elf.file;
  std::vector<std::string> names;
  for (size_t i = 0; i < elf.count; ++i) {
    Elf64_Shdr sym, str;
    if (!elf.section(i, &sym) || sym.sh_type != SHT_DYNSYM || !elf.section(sym.sh_link, &str))
      continue;
    for (size_t k = 0; k < sym.sh_size / sizeof(Elf64_Sym); ++k) {
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

// Relocations that make the loader hand out a dynamic TLS block, or -1 without sections.
int DynamicTlsRelocations(const std::string& path) {
  const ElfFile elf(path);
  if (elf.count == 0) return -1;
  int n = 0;
  for (size_t i = 0; i < elf.count; ++i) {
    Elf64_Shdr rel;
    if (!elf.section(i, &rel) || rel.sh_type != SHT_RELA) continue;
    for (size_t k = 0; k < rel.sh_size / sizeof(Elf64_Rela); ++k) {
      Elf64_Rela r;
      memcpy(&r, elf.file.data() + rel.sh_offset + k * sizeof(r), sizeof(r));
      const auto type = ELF64_R_TYPE(r.r_info);
      if (type == R_X86_64_DTPMOD64 || type == R_X86_64_DTPOFF64) ++n;
    }
  }
  return n;
}

} // namespace elf_test
