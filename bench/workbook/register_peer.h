// libxlsxwriter writing the benchmark's register (register_layout.h).
#pragma once

#include <string>

namespace kelmo::bench {

// Writes the register of `sheets` treatment sheets to `path`: by default
// holding the cells and writing shared strings, as the layer does; with
// `constantMemory` streaming each row as it is finished, texts inline.
void WriteRegisterWithPeer(const std::string& path, int sheets, bool constantMemory);

}  // namespace kelmo::bench
