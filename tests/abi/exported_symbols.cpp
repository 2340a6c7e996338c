#include "abi/exported_symbols.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

std::set<std::string> exportedSymbols(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::set<std::string> names;
  if (file.size() < sizeof(Elf64_Ehdr) || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0 ||
      file[EI_CLASS] != ELFCLASS64)
    return names;
  auto at = [&](std::size_t offset, std::size_t size) -> const char* {
    return offset + size <= file.size() ? file.data() + offset : nullptr;
  };
  Elf64_Ehdr eh;
  std::memcpy(&eh, file.data(), sizeof eh);
  for (unsigned i = 0; i < eh.e_shnum; ++i) {
    Elf64_Shdr sh;
    const char* p = at(eh.e_shoff + std::size_t(i) * eh.e_shentsize, sizeof sh);
    if (!p) return names;
    std::memcpy(&sh, p, sizeof sh);
    if (sh.sh_type != SHT_DYNSYM) continue;
    Elf64_Shdr strtab;
    const char* q = at(eh.e_shoff + std::size_t(sh.sh_link) * eh.e_shentsize, sizeof strtab);
    if (!q) return names;
    std::memcpy(&strtab, q, sizeof strtab);
    for (std::size_t off = 0; off + sizeof(Elf64_Sym) <= sh.sh_size; off += sizeof(Elf64_Sym)) {
      Elf64_Sym sym;
      const char* s = at(sh.sh_offset + off, sizeof sym);
      if (!s) return names;
      std::memcpy(&sym, s, sizeof sym);
      unsigned bind = ELF64_ST_BIND(sym.st_info);
      if (sym.st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK && bind != STB_GNU_UNIQUE))
        continue;
      const char* name = at(strtab.sh_offset + sym.st_name, 1);
      if (name) names.insert(std::string(name, strnlen(name, file.size() - (name - file.data()))));
    }
  }
  return names;
}
