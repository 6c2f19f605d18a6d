#include "link/id_texts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "device_commands.h"

namespace zeda {
namespace {

class IdTextsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Time stamps are shown in local time; pin the zone.
    setenv("TZ", "UTC", 1);
    tzset();
  }
  void SetStamp(uint32_t v) {
    for (int i = 0; i < 4; ++i) b_[35 + i] = static_cast<uint8_t>(v >> (8 * i));
  }
  uint8_t b_[kIdBlockSize] = {};
};

TEST_F(IdTextsTest, DefaultsBeforeAnyBlock) {
  IdTexts t;
  EXPECT_EQ(t.version, "Unit = --");
  EXPECT_EQ(t.date, "Date = --");
  EXPECT_EQ(t.time, "--:--");
  EXPECT_EQ(t.hardware, "");
}

TEST_F(IdTextsTest, VersionFromLettersAndNumberOrFromTheLongText) {
  b_[0] = 'Z';
  b_[1] = 'E';
  b_[2] = 'D';
  b_[3] = 7;
  EXPECT_EQ(IdVersionText(b_), "ZED07");
  b_[3] = 123;
  EXPECT_EQ(IdVersionText(b_), "ZED123");
  const char* longText = "ZEDA-2.17-beta-extra";  // longer than the 15 characters taken
  for (int i = 0; i < 15; ++i) b_[16 + i] = static_cast<uint8_t>(longText[i]);
  b_[31] = 'X';  // the next field is never part of it
  EXPECT_EQ(IdVersionText(b_), "ZEDA-2.17-beta-");
  b_[20] = 0;
  EXPECT_EQ(IdVersionText(b_), "ZEDA");
}

TEST_F(IdTextsTest, VersionStopsAtANulLetter) {
  b_[0] = 'A';
  b_[1] = 0;
  b_[2] = 'C';
  b_[3] = 5;
  EXPECT_EQ(IdVersionText(b_), "A");
}

TEST_F(IdTextsTest, DateWithEveryMonthSumAndAnUnknownOne) {
  b_[4] = 5;
  b_[5] = 38;
  b_[6] = 23;
  EXPECT_EQ(IdDateText(b_), " 5.10.2023");
  const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int m = 0; m < 12; ++m) {
    uint8_t sum = 0;
    for (int i = 0; i < 3; ++i) sum = static_cast<uint8_t>(sum + months[m][i]);
    char want[4];
    std::snprintf(want, sizeof want, "%2i", m + 1);
    EXPECT_STREQ(IdMonthText(sum), want) << months[m];
  }
  b_[4] = 28;
  b_[5] = 0;
  b_[6] = 5;
  EXPECT_EQ(IdDateText(b_), "28.00.2005");
}

TEST_F(IdTextsTest, Time) {
  b_[7] = 9;
  b_[8] = 5;
  EXPECT_EQ(IdTimeText(b_), "09:05");
}

TEST_F(IdTextsTest, Hardware) {
  b_[0] = 'Z';
  b_[1] = 'E';
  b_[2] = 'D';
  b_[3] = 7;
  EXPECT_EQ(IdHardwareText(b_), "");  // byte 31 zero: none
  b_[31] = 'C' | 0x80;
  b_[32] = 3;
  b_[33] = 11;
  b_[34] = 24;
  EXPECT_EQ(IdHardwareText(b_), "241103C+ZED07");
  b_[31] = 'C';
  EXPECT_EQ(IdHardwareText(b_), "241103C_ZED07");
  b_[31] = 0x80;  // no letter, the mark stays
  EXPECT_EQ(IdHardwareText(b_), "241103+ZED07");
  b_[34] = 255;
  EXPECT_EQ(IdHardwareText(b_), "");
  b_[34] = 24;
  b_[31] = 255;
  EXPECT_EQ(IdHardwareText(b_), "");
}

TEST_F(IdTextsTest, SerialNumber) {
  EXPECT_EQ(IdSerialText(b_), "");                        // byte 39 zero
  const uint8_t sn[] = {0xAB, 7, 59, 30, 14, 5, 10, 23};  // bytes 39..46
  for (int i = 0; i < 8; ++i) b_[39 + i] = sn[i];
  EXPECT_EQ(IdSerialText(b_), "231005-143059-007ab");
  b_[46] = 255;
  EXPECT_EQ(IdSerialText(b_), "none SN");
  b_[39] = 255;
  EXPECT_EQ(IdSerialText(b_), "");
}

TEST_F(IdTextsTest, LastUpdateJudgesTheWholeStamp) {
  EXPECT_EQ(IdLastUpdateText(b_), "");
  SetStamp(0xFFFFFFFFu);
  EXPECT_EQ(IdLastUpdateText(b_), "");
  SetStamp(1696516200u);
  EXPECT_EQ(IdLastUpdateText(b_), "(last update: 05.10.2023-14:30:00)");
  // Real stamps whose low byte is 0 or 255 still show.
  SetStamp(0x65000000u);
  EXPECT_EQ(IdLastUpdateText(b_), "(last update: 12.09.2023-06:06:56)");
  SetStamp(0x650000FFu);
  EXPECT_EQ(IdLastUpdateText(b_), "(last update: 12.09.2023-06:11:11)");
  SetStamp(0xFFFFFFFEu);
  EXPECT_EQ(IdLastUpdateText(b_), "(last update: 07.02.2106-06:28:14)");
}

TEST_F(IdTextsTest, AdditionalTextFoldsGaps) {
  EXPECT_EQ(IdAdditionalText(b_), "");
  b_[47] = 0x41;
  b_[48] = 0;
  b_[49] = 0;
  b_[50] = 0xFF;
  b_[51] = 0x42;
  EXPECT_EQ(IdAdditionalText(b_), "A~B");
  b_[146] = 'Z';  // last byte taken
  b_[147] = 'Q';  // not part of the text
  EXPECT_EQ(IdAdditionalText(b_), "A~B~Z");
  b_[47] = 0xFF;  // a gap before the first character counts too
  EXPECT_EQ(IdAdditionalText(b_), "~B~Z");
}

TEST_F(IdTextsTest, CommandPrintsEveryLine) {
  b_[0] = 'Z';
  b_[1] = 'E';
  b_[2] = 'D';
  b_[3] = 7;
  b_[4] = 5;
  b_[5] = 38;
  b_[6] = 23;
  b_[7] = 14;
  b_[8] = 30;
  b_[47] = 'h';
  b_[48] = 'i';
  SetStamp(1696516200u);
  char path[] = "/tmp/zeda-idtext-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  std::FILE* f = fdopen(fd, "wb");
  std::fwrite(b_, 1, sizeof b_, f);
  std::fputs("trailing bytes are ignored", f);
  std::fclose(f);

  char* outBuf = nullptr;
  size_t outLen = 0;
  std::FILE* out = open_memstream(&outBuf, &outLen);
  EXPECT_EQ(cli::IdTextCommand({path}, out, stderr), 0);
  std::fclose(out);
  EXPECT_EQ(std::string(outBuf, outLen),
            "version: ZED07\n"
            "date:  5.10.2023\n"
            "time: 14:30\n"
            "hardware: \n"
            "serial: \n"
            "last-update: (last update: 05.10.2023-14:30:00)\n"
            "additional: hi\n");
  std::free(outBuf);

  // A short file is refused with a message.
  f = std::fopen(path, "wb");
  std::fwrite(b_, 1, 149, f);
  std::fclose(f);
  char* errBuf = nullptr;
  size_t errLen = 0;
  std::FILE* err = open_memstream(&errBuf, &errLen);
  EXPECT_EQ(cli::IdTextCommand({path}, stdout, err), 1);
  std::fclose(err);
  EXPECT_NE(std::string(errBuf, errLen).find("149 bytes"), std::string::npos);
  std::free(errBuf);
  std::remove(path);
  err = std::fopen("/dev/null", "w");
  EXPECT_EQ(cli::IdTextCommand({"/nonexistent/zeda.bin"}, stdout, err), 1);
  EXPECT_EQ(cli::IdTextCommand({}, stdout, err), 2);
  std::fclose(err);
}

}  // namespace
}  // namespace zeda
