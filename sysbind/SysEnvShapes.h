// Argument shapes and result kinds of the entries listed in SysEnvEntries.inc, as macros that the
// generators of that list paste together with the shape or kind name:
//
//   SYSENV_PARAMS_<shape>(T)  the parameter list, each 32-bit slot declared as T (a1, a2, ...) and an
//                             8-bit character as char (c2 or c4, after the slots; marked
//                             maybe_unused for generated bodies that ignore their arguments)
//   SYSENV_ARGS_<shape>       the same parameters as arguments, in call order
//   SYSENV_RESULT_<kind>      the C++ result type
//
// Portable: no Windows header, so replacement libraries and tests of every kind can use it.
#pragma once

#define SYSENV_PARAMS_A0(T) ()
#define SYSENV_ARGS_A0
#define SYSENV_PARAMS_A1(T) (T a1)
#define SYSENV_ARGS_A1 a1
#define SYSENV_PARAMS_A2(T) (T a1, T a2)
#define SYSENV_ARGS_A2 a1, a2
#define SYSENV_PARAMS_A3(T) (T a1, T a2, T a3)
#define SYSENV_ARGS_A3 a1, a2, a3
#define SYSENV_PARAMS_A4(T) (T a1, T a2, T a3, T a4)
#define SYSENV_ARGS_A4 a1, a2, a3, a4
#define SYSENV_PARAMS_A5(T) (T a1, T a2, T a3, T a4, T a5)
#define SYSENV_ARGS_A5 a1, a2, a3, a4, a5
#define SYSENV_PARAMS_A6(T) (T a1, T a2, T a3, T a4, T a5, T a6)
#define SYSENV_ARGS_A6 a1, a2, a3, a4, a5, a6
#define SYSENV_PARAMS_A7(T) (T a1, T a2, T a3, T a4, T a5, T a6, T a7)
#define SYSENV_ARGS_A7 a1, a2, a3, a4, a5, a6, a7
#define SYSENV_PARAMS_A1C(T) (T a1, [[maybe_unused]] char c2)
#define SYSENV_ARGS_A1C a1, c2
#define SYSENV_PARAMS_A3C(T) (T a1, T a2, T a3, [[maybe_unused]] char c4)
#define SYSENV_ARGS_A3C a1, a2, a3, c4

#define SYSENV_RESULT_INT int
#define SYSENV_RESULT_FLOAT float
#define SYSENV_RESULT_TEXT const char*
