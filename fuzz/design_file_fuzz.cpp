// Arbitrary bytes as an FPGA design file with header (.mbf): the loader must never crash or hang,
// and its verdict must match the header rule computed here from the bytes themselves (signature
// "SP" and the sum of bytes 0-11 plus every following byte bit-reversed). Then the file is read
// block by block as an upload reads it, and the blocks must add up to the file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fpga/DesignFile.h"
#include "fpga/FpgaProtocol.h"

using namespace mirvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (stream == nullptr) return 0;
  fpga::DesignFile file;
  if (file.Adopt(stream) != fpga::file_cause::kNone) return 0;  // the file owns and closes the stream
  if (file.Length() != size) std::abort();

  fpga::DesignHeader header;
  const fpga::DesignCheck check = fpga::CheckHeaderFile(file, &header);
  bool valid = false;
  if (size >= fpga::kDesignHeaderSize) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < 12; ++i) sum += data[i];
    for (std::size_t i = fpga::kDesignHeaderSize; i < size; ++i) sum += fpga::ReverseBits(data[i]);
    const std::uint32_t stored = static_cast<std::uint32_t>(data[12]) | static_cast<std::uint32_t>(data[13]) << 8 |
                                 static_cast<std::uint32_t>(data[14]) << 16 | static_cast<std::uint32_t>(data[15]) << 24;
    valid = data[2] == 0x53 && data[3] == 0x50 && sum == stored;
  }
  if (check == fpga::DesignCheck::kReadError) std::abort();
  if ((check == fpga::DesignCheck::kValid) != valid) std::abort();

  std::array<std::uint8_t, fpga::kFlashBlockSize> block{};
  std::uint64_t total = 0;
  for (std::size_t guard = 0; guard <= size / block.size() + 1; ++guard) {
    const std::size_t got = file.Read(block);
    if (got == 0) break;
    total += got;
  }
  if (total != size || file.Failure() != fpga::file_cause::kNone) std::abort();
  return 0;
}
