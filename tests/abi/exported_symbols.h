// The names a shared library offers to the dynamic loader: the defined global and weak symbols of
// its dynamic symbol table, read from the ELF file itself. Empty when the file is not a 64-bit ELF.
#pragma once

#include <set>
#include <string>

std::set<std::string> exportedSymbols(const std::string& path);
