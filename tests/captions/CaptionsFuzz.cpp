// Fuzz target: hostile calib.ini text through the collection of the three kinds of channel. A
// leading byte below 0x08 picks the system library (and is not part of the file). Checks for any
// input: texts stay terminated inside their slots, flags are 0 or 1, and a second read after
// clearing the flags gives the same captions.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "CaptionsFakes.h"
#include "FuzzDriver.h"

namespace {

template <int N>
void ReadKind(station::ProfileReader& profile, station::FieldSplitter& fields, const char* listKey) {
  auto first = std::make_unique<ChannelCaptions<N>>();  // zero-filled
  station::ReadCaptions(profile, fields, listKey, *first);
  auto again = std::make_unique<ChannelCaptions<N>>(*first);
  station::ClearFlags(*again);
  station::ReadCaptions(profile, fields, listKey, *again);
  for (int k = 0; k < N; ++k) {
    const int flag = first->flags[k];
    if ((flag != 0 && flag != 1) || std::memchr(first->texts[k], '\0', sizeof first->texts[k]) == nullptr ||
        again->flags[k] != flag || (flag == 1 && std::strcmp(first->texts[k], again->texts[k]) != 0)) {
      std::fprintf(stderr, "captions fuzz: %s channel %d: flag %d, unterminated or read again otherwise\n", listKey, k,
                   flag);
      std::abort();
    }
  }
}

}  // namespace

// Pieces that mean something to the collection: syntax, list keys, keywords (GBK), numbers at the
// range edges, cut characters.
const char* const* FuzzTokens(std::size_t* count) {
  static const char* const kTokens[] = {
      "[", "]", "=", ",", "|", " ", "(", "\n[Dev]\n", "AllTD_Dout=", "AllTD_Din=", "AllTD_A=", "K=3\n", "K[About]=",
      "15", "16", "23", "24", "-1", "\xCD\xA8\xB5\xC0", "\xB9\xE2\xB5\xE7", "\xB4\xAB\xB8\xD0\xC6\xF7", "\xC7\xB0",
      "\xB9", "\x81\x40", "/"};
  *count = sizeof kTokens / sizeof kTokens[0];
  return kTokens;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using captest::Fields;
  using captest::Lib;
  // GetField with three separators and a GBK lead byte, and the hostile libraries.
  Fields libraries[] = {Fields(','), Fields('|'), Fields(' '), Fields('\xA1'), Fields(',', Lib::kMissing),
                        Fields(',', Lib::kPlain, Lib::kMissing), Fields(',', Lib::kFlood, Lib::kFlood),
                        Fields(',', Lib::kPlain, Lib::kFlood)};
  const bool picked = size > 0 && data[0] < 0x08;
  Fields& fields = libraries[picked ? data[0] : 0];
  captest::MemoryProfile profile(std::string(reinterpret_cast<const char*>(data) + picked, size - picked));
  ReadKind<24>(profile, fields, station::kDoutListKey);
  ReadKind<16>(profile, fields, station::kDinListKey);
  ReadKind<16>(profile, fields, station::kAnalogListKey);
  return 0;
}
