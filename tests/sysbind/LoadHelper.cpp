// Loads the system library variant given as the only argument, as the panel does at start-up. Used
// by the tests to watch a process that cannot load the library: it should never return from the
// load. Exit code 2 means the load returned (with its result printed).
#include <cstdio>
#include <cstdlib>

#include "sysbind/SysEnv.h"

int main(int argc, char** argv) {
  const int variant = argc > 1 ? std::atoi(argv[1]) : 1;
  const int result = LoadSysEnvLibrary(variant);
  std::printf("LoadSysEnvLibrary(%d) returned %d\n", variant, result);
  return 2;
}
