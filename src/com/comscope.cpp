#include "com/comscope.h"

#include "com/excelfailures.h"
#include "core/base/failure.h"

#include <cstdint>

namespace kw::com {

ComScope::ComScope() {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (hr == S_OK || hr == S_FALSE) {
        owns_ = true;
    } else if (hr != RPC_E_CHANGED_MODE) { // RPC_E_CHANGED_MODE: a multithreaded apartment
        throw Failure(Failure::Reason::spreadsheet,
                      "COM cannot be used on this thread: " + systemText(hr) + " (" +
                          hexCode(static_cast<std::uint32_t>(hr)) + ")");
    }
}

ComScope::~ComScope() {
    if (owns_) {
        CoUninitialize();
    }
}

} // namespace kw::com
