#include "app/sheets/linkfactory.h"

#include "app/qtlocale.h"
#include "app/sheets/absentlink.h"
#include "core/base/failure.h"

#ifdef KW_WITH_UNO
#include "uno/calclink.h"
#endif

namespace kw::app {

namespace {

#ifdef KW_WITH_UNO

class CalcLinkFactory final : public LinkFactory {
public:
    std::shared_ptr<SpreadsheetLink> makeLink() override {
        return kw::uno::makeCalcLink(kw::uno::defaultPipe());
    }

    QString startQuestion() const override {
        return "Shall the program start LibreOffice Calc now, ready to exchange data with "
               "it?\n\nWith Calc already open, it is asked to accept the program's connection "
               "as well. Open or create your document in Calc, then try again.";
    }

    QString startSpreadsheet() override {
        std::string message;
        if (!kw::uno::startAccepting(kw::uno::defaultPipe(), message)) {
            throw Failure(Failure::Reason::spreadsheet, message);
        }
        return qText(message);
    }
};

#else

class AbsentLinkFactory final : public LinkFactory {
public:
    std::shared_ptr<SpreadsheetLink> makeLink() override { return std::make_shared<AbsentLink>(); }
};

#endif

} // namespace

std::unique_ptr<LinkFactory> defaultLinkFactory() {
#ifdef KW_WITH_UNO
    return std::make_unique<CalcLinkFactory>();
#else
    return std::make_unique<AbsentLinkFactory>();
#endif
}

} // namespace kw::app
