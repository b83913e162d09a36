// Arbitrary bytes as a register file: the reader must never crash, hang or write outside the
// 128-value table, whatever sizes and data blocks the file claims.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "files/RegisterFile.h"

using namespace mirvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (stream == nullptr) return 0;
  struct Guarded {
    std::uint32_t before = 0xA5A5A5A5u;
    RegisterValues values{};
    std::uint32_t after = 0x5A5A5A5Au;
  } table;
  LoadRegisterStream(stream, table.values);
  std::fclose(stream);
  if (table.before != 0xA5A5A5A5u || table.after != 0x5A5A5A5Au) std::abort();
  return 0;
}
