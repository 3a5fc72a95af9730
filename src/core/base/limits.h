#pragma once

namespace kw {

// The program's limits, in one place.

// The most groups whose results a sheet can take: the results block has a column per group,
// and the classic spreadsheets had 256 columns. More groups are tested, with a warning.
inline constexpr int maxSheetGroups = 250;

// The most cells a table typed in may have (200 million texts, a few GB).
inline constexpr long long maxTypedCells = 200'000'000;

// The most cells read from a spreadsheet at once (a million cases of 20 variables): a larger
// block would take gigabytes on its way through the link.
inline constexpr long long maxSheetCells = 20'000'000;

} // namespace kw
