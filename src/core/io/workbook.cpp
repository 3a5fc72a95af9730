#include "core/io/workbook.h"

#include "core/base/failure.h"

namespace kw {

// Being written.

} // namespace kw
