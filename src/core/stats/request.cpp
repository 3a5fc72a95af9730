#include "core/stats/request.h"

#include "core/base/failure.h"
#include "core/base/numbers.h"

namespace kw {

double parseAlpha(std::string_view text, char decimal) {
    const double alpha = realValue(text, decimal);
    if (!(alpha > 0 && alpha <= 1)) {
        throw Failure::error("alpha must be a number greater than 0 and not greater than 1");
    }
    return alpha;
}

} // namespace kw
