#include "core/io/statisticsfile.h"

#include "core/base/failure.h"

namespace kw {

// Being written: this stands in until the reader lands.
DataTable readStatisticsFile(const std::string&, const ImportOptions&, char, Feedback*) {
    throw Failure(Failure::Reason::badData, "statistics files cannot be read yet");
}

} // namespace kw
