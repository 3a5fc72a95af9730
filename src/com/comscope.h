#pragma once

#include "com/widetext.h"

namespace kw::com {

// COM for the calling thread while the scope lives: a single-threaded apartment, or the
// multithreaded apartment the thread is already in, used as it is (and not ended here).
class ComScope {
public:
    ComScope(); // a thread where COM cannot be used is a kw::Failure
    ~ComScope();
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    // For a scope that belongs to another thread, which alone could end it.
    void abandon() { owns_ = false; }

private:
    bool owns_ = false;
};

} // namespace kw::com
