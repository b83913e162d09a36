// Arbitrary bytes as an IAEA SPE file, under the interchange readers' common check.
#include "ExchangeReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return mirvo::fuzz::FuzzExchangeReader(mirvo::SpectrumFormat::Spe, "fuzz.spe", data, size);
}
