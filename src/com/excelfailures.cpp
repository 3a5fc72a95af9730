#include "com/excelfailures.h"

#include <cstdio>

namespace kw::com {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

} // namespace

std::string attachMessage(std::string_view progId, std::string_view classId) {
    return "Unable to retrieve a pointer to a running object registered with OLE for " +
           std::string(progId) + "/" + std::string(classId);
}

std::string callMessage(std::string_view member, std::string_view description,
                        std::string_view systemText, std::uint32_t hresult) {
    std::string text(trimmed(description));
    if (text.empty()) {
        text = std::string(trimmed(systemText));
    }
    if (text.empty()) {
        text = "error " + hexCode(hresult);
    }
    std::string out = "Excel could not do " + std::string(member) + ": " + text;
    if (isBusy(hresult)) {
        out += " (Excel is busy: finish editing the cell or close the open dialog in Excel, "
               "then try again)";
    } else if (isDisconnection(hresult)) {
        out += " (the Excel the program was connected to has closed or stopped answering; "
               "the next attempt connects to the running Excel afresh)";
    }
    return out;
}

bool isDisconnection(std::uint32_t hresult) {
    switch (hresult) {
    case 0x800706BAu: // RPC_S_SERVER_UNAVAILABLE
    case 0x800706BEu: // RPC_S_CALL_FAILED
    case 0x800706BFu: // RPC_S_CALL_FAILED_DNE
    case 0x80010006u: // RPC_E_CONNECTION_TERMINATED
    case 0x80010007u: // RPC_E_SERVER_DIED
    case 0x80010012u: // RPC_E_SERVER_DIED_DNE
    case 0x80010108u: // RPC_E_DISCONNECTED
    case 0x800401FDu: // CO_E_OBJNOTCONNECTED
        return true;
    default:
        return false;
    }
}

bool isBusy(std::uint32_t hresult) {
    switch (hresult) {
    case 0x80010001u: // RPC_E_CALL_REJECTED
    case 0x8001010Au: // RPC_E_SERVERCALL_RETRYLATER
    case 0x800AC472u: // VBA_E_IGNORE: Excel refuses automation while it is in a modal state
        return true;
    default:
        return false;
    }
}

std::string hexCode(std::uint32_t hresult) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hresult));
    return buffer;
}

} // namespace kw::com
