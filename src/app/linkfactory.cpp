#include "linkfactory.h"

#include "qtlocale.h"

#ifdef KW_WITH_UNO
#include "calclink.h"
#endif

#include <string_view>

namespace kw::app {

namespace {

// Every operation of a build without a spreadsheet link fails with one clear message.
class NoLink final : public SpreadsheetLink {
public:
    Listing listbooks() override { fail(); }
    Listing listsheets() override { fail(); }
    void newbook() override { fail(); }
    std::string newsheet(const std::optional<std::string>&) override { fail(); }
    std::string appendsheet(const std::optional<std::string>&) override { fail(); }
    void selectbook(const std::string&) override { fail(); }
    void selectsheet(const std::string&) override { fail(); }
    void useactivesheet() override { fail(); }
    ValueTable readrange(int, int, int, int) override { fail(); }
    void writerange(int, int, int, int, const ValueTable&, char) override { fail(); }
    void disconnect() override {}

private:
    [[noreturn]] static void fail() {
        throw Failure::plain("This program was built without a link to a spreadsheet "
                             "application: LibreOffice and its SDK (libreoffice-dev) were not "
                             "found when it was built.");
    }
};

#ifdef KW_WITH_UNO
constexpr std::string_view nooffice = "No LibreOffice Calc accepts the program's connection";
#endif

} // namespace

std::shared_ptr<SpreadsheetLink> makespreadsheetlink() {
#ifdef KW_WITH_UNO
    return kw::uno::makecalclink(kw::uno::defaultpipe());
#else
    return std::make_shared<NoLink>();
#endif
}

bool spreadsheetabsent(const Failure& failure) {
#ifdef KW_WITH_UNO
    return failure.message().starts_with(nooffice);
#else
    (void)failure;
    return false;
#endif
}

QString startspreadsheetquestion() {
#ifdef KW_WITH_UNO
    return QString("Shall the program start LibreOffice Calc now, ready to exchange data with "
                   "it?\n\nWith Calc already open, it is asked to accept the program's "
                   "connection as well. Open or create your document in Calc, then try again.");
#else
    return {};
#endif
}

QString startspreadsheet() {
#ifdef KW_WITH_UNO
    std::string message;
    if (!kw::uno::startaccepting(kw::uno::defaultpipe(), message)) {
        throw Failure::plain(message);
    }
    return qtext(message);
#else
    return {};
#endif
}

} // namespace kw::app
