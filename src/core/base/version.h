#pragma once

namespace kw {

// The program's version, as the results block, the about box and the stored setting give it.
inline constexpr const char* programVersion = "10.3";

} // namespace kw
