// Assembled pictures of the panel for looking at the skins while working on them: the
// background with every visible element's picture at its rectangle, as the editor stacks them.
#pragma once

#include <string>

namespace skingen {

// Writes preview PNGs of both skins (at rest and with every light on), the splash and an
// enlarged sprite into directory. False when a file cannot be written.
bool writePreviews(const std::string& directory);

}  // namespace skingen
