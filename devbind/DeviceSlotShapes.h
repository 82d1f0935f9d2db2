// Argument shapes of the device slot table (DeviceSlots.inc), as macros pasted from the shape's
// name. For a shape S:
//   SP_DEV_PARAMS_S      the method's parameter list, with the parameters a1, a2, ...
//   SP_DEV_PACK_S        declares devArgv (the 32-bit stack slots, in call order) and devArgc (their
//                        count; negative when the arguments could not be prepared)
//   SP_DEV_COUNT_S       the number of stack slots
//   SP_DEV_FROM_S(v)     arguments for a call taken from the 32-bit values v[0], v[1], ... (tests,
//                        benchmarks); a text argument is the sample text SP_DEV_SAMPLE_TEXT
// Result kinds R: SP_DEV_TYPE_R is the method's result type.
#pragma once

#include <cstdint>

#include "devbind/DeviceArgs.h"

#define SP_DEV_SAMPLE_TEXT "ProbeDesk"

#define SP_DEV_TYPE_none void
#define SP_DEV_TYPE_int32 int
#define SP_DEV_TYPE_float float
#define SP_DEV_TYPE_bool8 bool
#define SP_DEV_TYPE_text const char*

// void
#define SP_DEV_PARAMS_void ()
#define SP_DEV_PACK_void const std::uint32_t* const devArgv = nullptr; const int devArgc = 0
#define SP_DEV_COUNT_void 0
#define SP_DEV_FROM_void(v)

// string
#define SP_DEV_PARAMS_string (const char* a1)
// The binding defines SP_DEV_TEXT_COPY(text): it makes the library's copy of the text and declares
// devTextSlot (the copy's address, 0 when no copy could be made).
#define SP_DEV_PACK_string \
  SP_DEV_TEXT_COPY(a1);   \
  const std::uint32_t devArgv[1] = {devTextSlot}; \
  const int devArgc = devTextSlot != 0 ? 1 : -1
#define SP_DEV_COUNT_string 1
#define SP_DEV_FROM_string(v) SP_DEV_SAMPLE_TEXT

// 32
#define SP_DEV_PARAMS_32 (CDeviceArg a1)
#define SP_DEV_PACK_32 const std::uint32_t devArgv[1] = {a1.Slot()}; const int devArgc = 1
#define SP_DEV_COUNT_32 1
#define SP_DEV_FROM_32(v) (v)[0]

// 2x32
#define SP_DEV_PARAMS_2x32 (CDeviceArg a1, CDeviceArg a2)
#define SP_DEV_PACK_2x32 const std::uint32_t devArgv[2] = {a1.Slot(), a2.Slot()}; const int devArgc = 2
#define SP_DEV_COUNT_2x32 2
#define SP_DEV_FROM_2x32(v) (v)[0], (v)[1]

// 3x32
#define SP_DEV_PARAMS_3x32 (CDeviceArg a1, CDeviceArg a2, CDeviceArg a3)
#define SP_DEV_PACK_3x32 const std::uint32_t devArgv[3] = {a1.Slot(), a2.Slot(), a3.Slot()}; const int devArgc = 3
#define SP_DEV_COUNT_3x32 3
#define SP_DEV_FROM_3x32(v) (v)[0], (v)[1], (v)[2]

// 4x32
#define SP_DEV_PARAMS_4x32 (CDeviceArg a1, CDeviceArg a2, CDeviceArg a3, CDeviceArg a4)
#define SP_DEV_PACK_4x32 const std::uint32_t devArgv[4] = {a1.Slot(), a2.Slot(), a3.Slot(), a4.Slot()}; const int devArgc = 4
#define SP_DEV_COUNT_4x32 4
#define SP_DEV_FROM_4x32(v) (v)[0], (v)[1], (v)[2], (v)[3]

// 5x32
#define SP_DEV_PARAMS_5x32 (CDeviceArg a1, CDeviceArg a2, CDeviceArg a3, CDeviceArg a4, CDeviceArg a5)
#define SP_DEV_PACK_5x32 const std::uint32_t devArgv[5] = {a1.Slot(), a2.Slot(), a3.Slot(), a4.Slot(), a5.Slot()}; const int devArgc = 5
#define SP_DEV_COUNT_5x32 5
#define SP_DEV_FROM_5x32(v) (v)[0], (v)[1], (v)[2], (v)[3], (v)[4]

// 6x32
#define SP_DEV_PARAMS_6x32 (CDeviceArg a1, CDeviceArg a2, CDeviceArg a3, CDeviceArg a4, CDeviceArg a5, CDeviceArg a6)
#define SP_DEV_PACK_6x32 const std::uint32_t devArgv[6] = {a1.Slot(), a2.Slot(), a3.Slot(), a4.Slot(), a5.Slot(), a6.Slot()}; const int devArgc = 6
#define SP_DEV_COUNT_6x32 6
#define SP_DEV_FROM_6x32(v) (v)[0], (v)[1], (v)[2], (v)[3], (v)[4], (v)[5]

// 7x32
#define SP_DEV_PARAMS_7x32 (CDeviceArg a1, CDeviceArg a2, CDeviceArg a3, CDeviceArg a4, CDeviceArg a5, CDeviceArg a6, CDeviceArg a7)
#define SP_DEV_PACK_7x32 const std::uint32_t devArgv[7] = {a1.Slot(), a2.Slot(), a3.Slot(), a4.Slot(), a5.Slot(), a6.Slot(), a7.Slot()}; const int devArgc = 7
#define SP_DEV_COUNT_7x32 7
#define SP_DEV_FROM_7x32(v) (v)[0], (v)[1], (v)[2], (v)[3], (v)[4], (v)[5], (v)[6]

// 8x32
#define SP_DEV_PARAMS_8x32 (CDeviceArg a1, CDeviceArg a2, CDeviceArg a3, CDeviceArg a4, CDeviceArg a5, CDeviceArg a6, CDeviceArg a7, CDeviceArg a8)
#define SP_DEV_PACK_8x32 const std::uint32_t devArgv[8] = {a1.Slot(), a2.Slot(), a3.Slot(), a4.Slot(), a5.Slot(), a6.Slot(), a7.Slot(), a8.Slot()}; const int devArgc = 8
#define SP_DEV_COUNT_8x32 8
#define SP_DEV_FROM_8x32(v) (v)[0], (v)[1], (v)[2], (v)[3], (v)[4], (v)[5], (v)[6], (v)[7]

// 9x32
#define SP_DEV_PARAMS_9x32 (CDeviceArg a1, CDeviceArg a2, CDeviceArg a3, CDeviceArg a4, CDeviceArg a5, CDeviceArg a6, CDeviceArg a7, CDeviceArg a8, CDeviceArg a9)
#define SP_DEV_PACK_9x32 const std::uint32_t devArgv[9] = {a1.Slot(), a2.Slot(), a3.Slot(), a4.Slot(), a5.Slot(), a6.Slot(), a7.Slot(), a8.Slot(), a9.Slot()}; const int devArgc = 9
#define SP_DEV_COUNT_9x32 9
#define SP_DEV_FROM_9x32(v) (v)[0], (v)[1], (v)[2], (v)[3], (v)[4], (v)[5], (v)[6], (v)[7], (v)[8]

// 10x32
#define SP_DEV_PARAMS_10x32 (CDeviceArg a1, CDeviceArg a2, CDeviceArg a3, CDeviceArg a4, CDeviceArg a5, CDeviceArg a6, CDeviceArg a7, CDeviceArg a8, CDeviceArg a9, CDeviceArg a10)
#define SP_DEV_PACK_10x32 const std::uint32_t devArgv[10] = {a1.Slot(), a2.Slot(), a3.Slot(), a4.Slot(), a5.Slot(), a6.Slot(), a7.Slot(), a8.Slot(), a9.Slot(), a10.Slot()}; const int devArgc = 10
#define SP_DEV_COUNT_10x32 10
#define SP_DEV_FROM_10x32(v) (v)[0], (v)[1], (v)[2], (v)[3], (v)[4], (v)[5], (v)[6], (v)[7], (v)[8], (v)[9]

// 11x32
#define SP_DEV_PARAMS_11x32 (CDeviceArg a1, CDeviceArg a2, CDeviceArg a3, CDeviceArg a4, CDeviceArg a5, CDeviceArg a6, CDeviceArg a7, CDeviceArg a8, CDeviceArg a9, CDeviceArg a10, CDeviceArg a11)
#define SP_DEV_PACK_11x32 const std::uint32_t devArgv[11] = {a1.Slot(), a2.Slot(), a3.Slot(), a4.Slot(), a5.Slot(), a6.Slot(), a7.Slot(), a8.Slot(), a9.Slot(), a10.Slot(), a11.Slot()}; const int devArgc = 11
#define SP_DEV_COUNT_11x32 11
#define SP_DEV_FROM_11x32(v) (v)[0], (v)[1], (v)[2], (v)[3], (v)[4], (v)[5], (v)[6], (v)[7], (v)[8], (v)[9], (v)[10]

// V16
#define SP_DEV_PARAMS_V16 (CDeviceQuad a1)
#define SP_DEV_PACK_V16 const std::uint32_t devArgv[4] = {a1.Slot(0), a1.Slot(1), a1.Slot(2), a1.Slot(3)}; const int devArgc = 4
#define SP_DEV_COUNT_V16 4
#define SP_DEV_FROM_V16(v) CDeviceQuad(static_cast<std::int32_t>((v)[0]), static_cast<std::int32_t>((v)[1]), static_cast<std::int32_t>((v)[2]), static_cast<std::int32_t>((v)[3]))

// V16_V16
#define SP_DEV_PARAMS_V16_V16 (CDeviceQuad a1, CDeviceQuad a2)
#define SP_DEV_PACK_V16_V16 const std::uint32_t devArgv[8] = {a1.Slot(0), a1.Slot(1), a1.Slot(2), a1.Slot(3), a2.Slot(0), a2.Slot(1), a2.Slot(2), a2.Slot(3)}; const int devArgc = 8
#define SP_DEV_COUNT_V16_V16 8
#define SP_DEV_FROM_V16_V16(v) CDeviceQuad(static_cast<std::int32_t>((v)[0]), static_cast<std::int32_t>((v)[1]), static_cast<std::int32_t>((v)[2]), static_cast<std::int32_t>((v)[3])), CDeviceQuad(static_cast<std::int32_t>((v)[4]), static_cast<std::int32_t>((v)[5]), static_cast<std::int32_t>((v)[6]), static_cast<std::int32_t>((v)[7]))

// 32_V16
#define SP_DEV_PARAMS_32_V16 (CDeviceArg a1, CDeviceQuad a2)
#define SP_DEV_PACK_32_V16 const std::uint32_t devArgv[5] = {a1.Slot(), a2.Slot(0), a2.Slot(1), a2.Slot(2), a2.Slot(3)}; const int devArgc = 5
#define SP_DEV_COUNT_32_V16 5
#define SP_DEV_FROM_32_V16(v) (v)[0], CDeviceQuad(static_cast<std::int32_t>((v)[1]), static_cast<std::int32_t>((v)[2]), static_cast<std::int32_t>((v)[3]), static_cast<std::int32_t>((v)[4]))

// 2x32_V16
#define SP_DEV_PARAMS_2x32_V16 (CDeviceArg a1, CDeviceArg a2, CDeviceQuad a3)
#define SP_DEV_PACK_2x32_V16 const std::uint32_t devArgv[6] = {a1.Slot(), a2.Slot(), a3.Slot(0), a3.Slot(1), a3.Slot(2), a3.Slot(3)}; const int devArgc = 6
#define SP_DEV_COUNT_2x32_V16 6
#define SP_DEV_FROM_2x32_V16(v) (v)[0], (v)[1], CDeviceQuad(static_cast<std::int32_t>((v)[2]), static_cast<std::int32_t>((v)[3]), static_cast<std::int32_t>((v)[4]), static_cast<std::int32_t>((v)[5]))

// 8x32_16b
#define SP_DEV_PARAMS_8x32_16b (CDeviceArg a1, CDeviceArg a2, CDeviceArg a3, CDeviceArg a4, CDeviceArg a5, CDeviceArg a6, CDeviceArg a7, CDeviceArg a8, std::uint16_t a9)
#define SP_DEV_PACK_8x32_16b const std::uint32_t devArgv[9] = {a1.Slot(), a2.Slot(), a3.Slot(), a4.Slot(), a5.Slot(), a6.Slot(), a7.Slot(), a8.Slot(), static_cast<std::uint32_t>(a9)}; const int devArgc = 9
#define SP_DEV_COUNT_8x32_16b 9
#define SP_DEV_FROM_8x32_16b(v) (v)[0], (v)[1], (v)[2], (v)[3], (v)[4], (v)[5], (v)[6], (v)[7], static_cast<std::uint16_t>((v)[8])

// 8b_2x32
#define SP_DEV_PARAMS_8b_2x32 (std::uint8_t a1, CDeviceArg a2, CDeviceArg a3)
#define SP_DEV_PACK_8b_2x32 const std::uint32_t devArgv[3] = {static_cast<std::uint32_t>(a1), a2.Slot(), a3.Slot()}; const int devArgc = 3
#define SP_DEV_COUNT_8b_2x32 3
#define SP_DEV_FROM_8b_2x32(v) static_cast<std::uint8_t>((v)[0]), (v)[1], (v)[2]
