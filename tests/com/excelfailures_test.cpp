// The messages of failed calls and what error codes say.

#include "com/excelfailures.h"

#include <gtest/gtest.h>

namespace kw::com {
namespace {

TEST(ExcelFailures, AttachMessage) {
    EXPECT_EQ(attachMessage("Excel.Application", "{00024500-0000-0000-C000-000000000046}"),
              "Unable to retrieve a pointer to a running object registered with OLE for "
              "Excel.Application/{00024500-0000-0000-C000-000000000046}");
}

TEST(ExcelFailures, CallMessages) {
    // Excel's description first, then the system's text, then the bare code.
    EXPECT_EQ(callMessage("Workbooks.Item", "Subscript out of range\r\n", "Exception occurred.",
                          0x80020009u),
              "Excel could not do Workbooks.Item: Subscript out of range");
    EXPECT_EQ(callMessage("Range.Value", "", "Exception occurred.\r\n", 0x80020009u),
              "Excel could not do Range.Value: Exception occurred.");
    EXPECT_EQ(callMessage("Range.Value", " ", "", 0x800A03ECu),
              "Excel could not do Range.Value: error 0x800A03EC");
    const std::string busy =
        callMessage("Workbooks", "", "Call was rejected by callee.", 0x80010001u);
    EXPECT_NE(busy.find("Excel is busy"), std::string::npos) << busy;
    const std::string gone =
        callMessage("Range.Value", "", "The RPC server is unavailable.", 0x800706BAu);
    EXPECT_NE(gone.find("closed"), std::string::npos) << gone;
}

TEST(ExcelFailures, KindsOfCodes) {
    EXPECT_TRUE(isDisconnection(0x800706BAu));
    EXPECT_TRUE(isDisconnection(0x80010108u));
    EXPECT_FALSE(isDisconnection(0x80010001u));
    EXPECT_FALSE(isDisconnection(0x80020009u));
    EXPECT_TRUE(isBusy(0x80010001u));
    EXPECT_TRUE(isBusy(0x8001010Au));
    EXPECT_FALSE(isBusy(0x800706BAu));
    EXPECT_EQ(hexCode(0x800A03ECu), "0x800A03EC");
    EXPECT_EQ(hexCode(0), "0x00000000");
}

} // namespace
} // namespace kw::com
