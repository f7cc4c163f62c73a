// The auto-start value: which registry states count as on, and what the
// toggle leaves behind from each of them.
#include <gtest/gtest.h>

#include <string>

#include "net/AutoStart.h"
#include "tests/fakes/FakeRegistry.h"

namespace net {
namespace {

using fakes::FakeRegistry;
constexpr seam::RegRoot kHkcu = seam::RegRoot::CurrentUser;
const std::string kAppDir = "C:\\Tools\\Kestravin\\";
const std::string kOwnCommand = "\"C:\\Tools\\Kestravin\\Kestravin.exe\"";

class AutoStart : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(0, m_reg.OpenHandleCount()) << "a key was left open";
        EXPECT_EQ(0, m_reg.BadCloseCount());
    }
    bool HasValue() const { return m_reg.ValueExists(kHkcu, kRunKey, kAutoStartValue); }
    std::string Data() const { return m_reg.StringValue(kHkcu, kRunKey, kAutoStartValue); }

    fakes::FakeRegistry m_reg;
};

TEST_F(AutoStart, NoValueIsOffAndTheToggleWritesTheQuotedCommand) {
    EXPECT_FALSE(IsAutoStartOn(m_reg));
    // Even the Run key itself may be missing on a fresh profile.
    EXPECT_FALSE(HasValue());

    ToggleAutoStart(m_reg, kAppDir);
    EXPECT_EQ(kOwnCommand, Data());
    EXPECT_TRUE(IsAutoStartOn(m_reg));

    ToggleAutoStart(m_reg, kAppDir);
    EXPECT_FALSE(HasValue());
    EXPECT_FALSE(IsAutoStartOn(m_reg));
    EXPECT_TRUE(m_reg.KeyExists(kHkcu, kRunKey)) << "only the value goes, not the Run key";
}

TEST_F(AutoStart, ValuesThatReadAsZeroCountAsOffAndAreOverwritten) {
    m_reg.SetString(kHkcu, kRunKey, kAutoStartValue, "0");
    EXPECT_FALSE(IsAutoStartOn(m_reg));
    ToggleAutoStart(m_reg, kAppDir);
    EXPECT_EQ(kOwnCommand, Data());

    // 260 bytes of text plus its terminator do not fit the 260-byte read: off.
    m_reg.SetString(kHkcu, kRunKey, kAutoStartValue, std::string(260, 'x'));
    EXPECT_FALSE(IsAutoStartOn(m_reg));
    ToggleAutoStart(m_reg, kAppDir);
    EXPECT_EQ(kOwnCommand, Data());

    // One byte shorter fits and counts as on.
    m_reg.SetString(kHkcu, kRunKey, kAutoStartValue, std::string(259, 'x'));
    EXPECT_TRUE(IsAutoStartOn(m_reg));
    ToggleAutoStart(m_reg, kAppDir);
    EXPECT_FALSE(HasValue());
}

TEST_F(AutoStart, AnotherCopysValueCountsAsOnAndTheToggleDeletesIt) {
    m_reg.SetString(kHkcu, kRunKey, kAutoStartValue, "\"D:\\Elsewhere\\Kestravin.exe\"");
    m_reg.SetString(kHkcu, kRunKey, "Other", "other.exe");
    EXPECT_TRUE(IsAutoStartOn(m_reg));

    ToggleAutoStart(m_reg, kAppDir);
    EXPECT_FALSE(HasValue());
    EXPECT_EQ("other.exe", m_reg.StringValue(kHkcu, kRunKey, "Other")) << "another program's value was touched";
}

TEST_F(AutoStart, TheCommandIsQuotedAndNamesKestravinExe) {
    EXPECT_EQ("\"C:\\Program Files\\Kes Test\\Kestravin.exe\"", AutoStartCommand("C:\\Program Files\\Kes Test\\"));
    // "케스트라빈" in code page 949: bytes pass through untouched.
    const std::string korean = "C:\\\xC4\xC9\xBD\xBA\xC6\xAE\xB6\xF3\xBA\xF3\\";
    EXPECT_EQ("\"" + korean + "Kestravin.exe\"", AutoStartCommand(korean));

    ToggleAutoStart(m_reg, "C:\\Program Files\\Kes Test\\");
    EXPECT_EQ("\"C:\\Program Files\\Kes Test\\Kestravin.exe\"", Data());
}

TEST_F(AutoStart, AValueTooLongToReadIsStillSwitchedOffByTheCopyThatWroteIt) {
    // The longest directories a module path can have: the quoted command is
    // two bytes longer than the path and no longer fits the 260-byte read.
    for (size_t pathBytes : {258u, 259u}) {
        SCOPED_TRACE(pathBytes);
        const std::string longDir = "C:\\" + std::string(pathBytes - 3 - 1 - 13, 'd') + "\\";
        ASSERT_EQ(pathBytes, (longDir + "Kestravin.exe").size());

        ToggleAutoStart(m_reg, longDir);
        EXPECT_EQ(AutoStartCommand(longDir), Data());
        EXPECT_FALSE(IsAutoStartOn(m_reg)) << "the read rule holds: too long to read is off";

        ToggleAutoStart(m_reg, longDir);
        EXPECT_FALSE(HasValue()) << "the program's own value could not be switched off";
        ToggleAutoStart(m_reg, longDir);
        EXPECT_EQ(AutoStartCommand(longDir), Data());
        ToggleAutoStart(m_reg, longDir);
        EXPECT_FALSE(HasValue());
    }

    // Another long value that reads as off is still overwritten, as before;
    // so is one that only starts with the program's command.
    const std::string longDir = "C:\\" + std::string(241, 'd') + "\\";
    m_reg.SetString(kHkcu, kRunKey, kAutoStartValue, "\"D:\\" + std::string(260, 'e') + "\\Kestravin.exe\"");
    ToggleAutoStart(m_reg, longDir);
    EXPECT_EQ(AutoStartCommand(longDir), Data());
    m_reg.SetString(kHkcu, kRunKey, kAutoStartValue, AutoStartCommand(longDir) + " /min");
    ToggleAutoStart(m_reg, longDir);
    EXPECT_EQ(AutoStartCommand(longDir), Data());
}

TEST_F(AutoStart, AnUnreadableRunKeyCountsAsOffAndStaysUnchanged) {
    m_reg.SetString(kHkcu, kRunKey, kAutoStartValue, "\"C:\\Old\\Kestravin.exe\"");
    m_reg.Deny(kHkcu, kRunKey, fakes::kDenyOpen);
    EXPECT_FALSE(IsAutoStartOn(m_reg));
    ToggleAutoStart(m_reg, kAppDir);  // the write is refused as well
    EXPECT_EQ("\"C:\\Old\\Kestravin.exe\"", Data());
}

}  // namespace
}  // namespace net
