#include "core/io/statisticsfile.h"

#include "core/base/failure.h"

namespace kw {

// Being written.

} // namespace kw
