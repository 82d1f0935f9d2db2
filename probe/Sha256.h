// SHA-256 of a file's bytes, so a protocol names exactly the plan that was run. Small and portable
// (no Windows header): tested natively against the standard's vectors.
#pragma once

#include <string>

namespace probe {

// The digest as 64 lower-case hexadecimal digits.
std::string Sha256Hex(const std::string& bytes);

}  // namespace probe
