// kwexcelcheck: attaches to the running Excel through the program's link and lists the open
// workbooks and the worksheets of the active one, the active ones marked with '*'. It
// changes nothing in Excel. Exit status 0 when Excel answered, 1 when not (the message on
// standard error).

#include "com/excellink.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

namespace {

void print(const char* heading, const kw::SpreadsheetLink::Listing& listing) {
    std::printf("%s (%zu):\n", heading, listing.names.size());
    for (std::size_t i = 0; i < listing.names.size(); ++i) {
        std::printf("  %c %s\n", static_cast<int>(i) == listing.active ? '*' : ' ',
                    listing.names[i].c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        std::fprintf(stderr,
                     "usage: %s\n"
                     "Lists the workbooks open in the running Excel and the worksheets of the "
                     "active one.\n",
                     argv[0]);
        return 2;
    }
    SetConsoleOutputCP(CP_UTF8); // the link's texts are UTF-8
    try {
        const auto link = kw::com::makeExcelLink();
        print("workbooks", link->listBooks());
        print("worksheets of the active workbook", link->listSheets());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kwexcelcheck: %s\n", e.what());
        return 1;
    }
}
