#pragma once

#include <string>

namespace kw {

// The whole of a file's bytes, read straight into one buffer when its size is known (a file
// that grows meanwhile, or one of unknown size, is read on in steps). Throws kw::Failure
// (Reason::fileAccess) "cannot read the file PATH: <the system's reason>" for a folder, or a
// file that cannot be opened or read.
std::string readFileBytes(const std::string& path);

} // namespace kw
