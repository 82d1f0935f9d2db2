// The section names of a station's INI file, in file order, within the program's working limits:
// the panel collects captions from them and the configuration manager lists them.
#pragma once

#include "station/Profile.h"

namespace station {

using SectionNameTable = char[kMaxSections][kSectionNameSize];

// Clears `names` and fills it with the listed section names in file order; returns how many.
// The listing stops at the end of the list, at an empty name or one starting with a space (it and
// every later name are left out) and after kMaxSections names. A name the slots cannot hold, or the
// last name of a list that did not fit the read, is left out: cut, it would name another section.
// When the answer leaves open whether the list was cut, the reader is asked again with more room.
int ReadSectionNames(ProfileReader& profile, SectionNameTable& names);

}  // namespace station
