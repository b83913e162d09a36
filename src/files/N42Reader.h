// Reading N42.42 documents that this program or another tool wrote: the instrument, the detectors,
// the energy calibrations and the first measurement that holds spectra. Tolerant of what other
// writers do (any namespace prefix, line ends, extra elements, missing optional elements,
// CountedZeroes); anything that is not such a document is refused. The XML is parsed without
// network access, without a document type and without entity substitution.
#pragma once

#include <string_view>

#include "files/SpectrumExchange.h"

namespace mirvo {

// True with `set` filled for a document whose root is RadInstrumentData and that holds at least one
// spectrum with channel data; false (set untouched) otherwise.
bool ParseN42(std::string_view content, ExchangeSet& set);

// The channel data of a ChannelData element: counts rounded to whole numbers, CountedZeroes
// expanded. False for a value that is not a non-negative number, a zero run past the limit, or a
// compression code this reader does not know.
bool ParseChannelData(std::string_view text, std::string_view compressionCode, std::vector<std::uint32_t>& counts);

}  // namespace mirvo
