// Arbitrary bytes as an N42.42 document, under the interchange readers' common check.
#include "ExchangeReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return mirvo::fuzz::FuzzExchangeReader(mirvo::SpectrumFormat::N42, "fuzz.n42", data, size);
}
