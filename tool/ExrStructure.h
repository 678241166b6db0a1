// The chunk table of one part of an OpenEXR file, checked before any memory
// is given to its picture: every chunk of the part's full-resolution pixels
// (scan-line blocks, or level-0 tiles) must be listed, start with the
// leader that names it, and lie within the file. A file cut short or with a
// damaged table is refused for the cost of reading the table.
#pragma once

#include <string>

namespace zanth {

// Throws UsageError naming the file and the problem.
void checkExrChunks(const std::string& path, int part);

}  // namespace zanth
