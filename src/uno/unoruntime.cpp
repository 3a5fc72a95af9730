#include "uno/unoruntime.h"

#include "core/base/failure.h"
#include "uno/unotext.h"

#include <com/sun/star/uno/Exception.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>

#include <cstdlib>
#include <mutex>

#ifndef KW_LO_PROGRAM_DIR
#define KW_LO_PROGRAM_DIR "/usr/lib/libreoffice/program"
#endif

namespace kw::uno {

// Never disposed of: disposing of it while the process exits would race with the libraries'
// own teardown.
css::uno::Reference<css::uno::XComponentContext> localContext() {
    static std::mutex mutex;
    static css::uno::Reference<css::uno::XComponentContext>* context = nullptr;
    std::lock_guard lock(mutex);
    if (context == nullptr) {
        // The bootstrap variable rather than the environment variable: it stays inside this
        // process, so an office started from here does not inherit it.
        if (std::getenv("URE_BOOTSTRAP") == nullptr) {
            rtl::Bootstrap::set("URE_BOOTSTRAP",
                                "vnd.sun.star.pathname:" KW_LO_PROGRAM_DIR "/fundamentalrc");
        }
        // A runtime that does not start is a fault of the office's installation: the
        // spreadsheet application fails.
        try {
            context = new css::uno::Reference<css::uno::XComponentContext>(
                cppu::defaultBootstrap_InitialComponentContext());
        } catch (const cppu::BootstrapException& e) {
            throw Failure(Failure::Reason::spreadsheet,
                          "the UNO runtime of LibreOffice could not be started: " +
                              fromOUString(e.getMessage()));
        } catch (const css::uno::Exception& e) {
            throw Failure(Failure::Reason::spreadsheet,
                          "the UNO runtime of LibreOffice could not be started: " +
                              fromOUString(e.Message));
        }
    }
    return *context;
}

} // namespace kw::uno
