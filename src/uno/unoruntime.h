#pragma once

#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>

namespace kw::uno {

// The UNO runtime of this process (the local component context that connections to an office
// start from), started on first use from the LibreOffice the program was built against and
// kept to the end of the process. A runtime that cannot start is a kw::Failure.
css::uno::Reference<css::uno::XComponentContext> localContext();

} // namespace kw::uno
