// The section names the configuration manager lists: read from calib.ini through a profile reader,
// in file order, with the manager's working limits. No window needed, so the rules are tested
// natively with readers that give what the system's profile functions may give.
#pragma once

#include <cstddef>

#include "app/Captions.h"

namespace cfg {

constexpr int kMaxSections = 100;
constexpr std::size_t kNameSize = 100;       // 99 characters and the terminator
constexpr std::size_t kNameListSize = 2000;  // the list of names as one read gives it

using SectionNameTable = char[kMaxSections][kNameSize];

// Clears `names` and fills it with the listed section names in file order; returns how many.
// The listing stops at the end of the list, at a name starting with a space (it and every later
// name are left out) and after kMaxSections names. A name the slots cannot hold, or the last name
// of a list that did not fit the read, is left out: cut, it would name another section.
int ReadSectionNames(panel::ProfileReader& profile, SectionNameTable& names);

}  // namespace cfg
