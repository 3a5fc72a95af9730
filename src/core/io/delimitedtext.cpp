#include "core/io/delimitedtext.h"

#include "core/base/failure.h"

namespace kw {

// Being written.

} // namespace kw
