// Fuzz target: hostile calib.ini text through the whole collection of the three kinds of channel.
// A leading byte below 0x08 picks the field functions (and is not part of the file); otherwise the
// list is comma-separated. Checks what must hold for any input: the texts stay terminated inside
// their slots, flags are 0 or 1, and a second read after clearing the flags gives the same captions.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "CaptionsFakes.h"
#include "app/Captions.h"

namespace {

constexpr int kFieldModes = 6;

std::unique_ptr<panel::FieldSplitter> MakeFields(int mode) {
  switch (mode) {
    case 1: return std::make_unique<captest::SeparatorFields>('|');
    case 2: return std::make_unique<captest::SeparatorFields>(' ');
    case 3: return std::make_unique<captest::MissingFields>(false);
    case 4: return std::make_unique<captest::UnterminatedFields>('K', 'C');
    case 5: return std::make_unique<captest::SeparatorFields>('\xA1');  // a GBK lead byte
    default: return std::make_unique<captest::SeparatorFields>(',');
  }
}

[[noreturn]] void Fail(const char* what, int channel) {
  std::fprintf(stderr, "captions fuzz: %s (channel %d)\n", what, channel);
  std::abort();
}

template <int N>
void Check(const ChannelCaptions<N>& first, const ChannelCaptions<N>& second) {
  for (int k = 0; k < N; ++k) {
    if (first.flags[k] != 0 && first.flags[k] != 1) Fail("flag neither 0 nor 1", k);
    if (std::memchr(first.texts[k], '\0', sizeof first.texts[k]) == nullptr) Fail("text unterminated", k);
    if (first.flags[k] != second.flags[k]) Fail("second read flags differ", k);
    if (first.flags[k] == 1 && std::strcmp(first.texts[k], second.texts[k]) != 0) Fail("second read differs", k);
    char number[12];
    const char* shown = panel::ChannelText(first, k, number);
    if (std::strlen(shown) >= sizeof first.texts[k]) Fail("shown text too long", k);
  }
}

template <int N>
void RunKind(panel::ProfileReader& profile, panel::FieldSplitter& fields, const char* listKey) {
  auto table = std::make_unique<ChannelCaptions<N>>();
  std::memset(table.get(), 0, sizeof *table);
  panel::ReadCaptions(profile, fields, listKey, *table);
  // The same read on a used table with cleared flags must show the same.
  auto again = std::make_unique<ChannelCaptions<N>>(*table);
  panel::ClearFlags(*again);
  panel::ReadCaptions(profile, fields, listKey, *again);
  Check(*table, *again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  int mode = 0;
  if (size > 0 && data[0] < 0x08) {
    mode = data[0] % kFieldModes;
    ++data;
    --size;
  }
  captest::MemoryProfile profile = captest::MemoryProfile::Parse(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<panel::FieldSplitter> fields = MakeFields(mode);
  RunKind<24>(profile, *fields, panel::kDoutListKey);
  RunKind<16>(profile, *fields, panel::kDinListKey);
  RunKind<16>(profile, *fields, panel::kAnalogListKey);
  return 0;
}
