#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace kw {

// Writes a file so that it is either complete or not changed at all: the text goes to a
// temporary file in the target's folder, which is flushed to disk and then renamed over the
// target. Any failure (an unwritable folder, a full disk, a name that is a folder) removes the
// temporary file, leaves an existing target untouched and throws kw::Failure with the
// system's message.
void writefilesafely(const std::string& path, const std::function<void(std::ostream&)>& write);

} // namespace kw
