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
    for (int i = 0; i < 4; ++i) b[35 + i] = static_cast<uint8_t>(v >> (8 * i));
  }
  uint8_t b[kIdBlockSize] = {};
};

TEST_F(IdTextsTest, DefaultsBeforeAnyBlock) {
  IdTexts t;
  EXPECT_EQ(t.version, "Unit = --");
  EXPECT_EQ(t.date, "Date = --");
  EXPECT_EQ(t.time, "--:--");
  EXPECT_EQ(t.hardware, "");
}

TEST_F(IdTextsTest, VersionFromLettersAndNumberOrFromTheLongText) {
  b[0] = 'Z';
  b[1] = 'E';
  b[2] = 'D';
  b[3] = 7;
  EXPECT_EQ(IdVersionText(b), "ZED07");
  b[3] = 123;
  EXPECT_EQ(IdVersionText(b), "ZED123");
  const char* longText = "ZEDA-2.17-beta-extra";  // longer than the 15 characters taken
  for (int i = 0; i < 15; ++i) b[16 + i] = static_cast<uint8_t>(longText[i]);
  b[31] = 'X';  // the next field is never part of it
  EXPECT_EQ(IdVersionText(b), "ZEDA-2.17-beta-");
  b[20] = 0;
  EXPECT_EQ(IdVersionText(b), "ZEDA");
}

TEST_F(IdTextsTest, VersionStopsAtANulLetter) {
  b[0] = 'A';
  b[1] = 0;
  b[2] = 'C';
  b[3] = 5;
  EXPECT_EQ(IdVersionText(b), "A");
}

TEST_F(IdTextsTest, DateWithEveryMonthSumAndAnUnknownOne) {
  b[4] = 5;
  b[5] = 38;
  b[6] = 23;
  EXPECT_EQ(IdDateText(b), " 5.10.2023");
  const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int m = 0; m < 12; ++m) {
    uint8_t sum = 0;
    for (int i = 0; i < 3; ++i) sum = static_cast<uint8_t>(sum + months[m][i]);
    char want[4];
    std::snprintf(want, sizeof want, "%2i", m + 1);
    EXPECT_STREQ(IdMonthText(sum), want) << months[m];
  }
  b[4] = 28;
  b[5] = 0;
  b[6] = 5;
  EXPECT_EQ(IdDateText(b), "28.00.2005");
}

TEST_F(IdTextsTest, Time) {
  b[7] = 9;
  b[8] = 5;
  EXPECT_EQ(IdTimeText(b), "09:05");
}

TEST_F(IdTextsTest, Hardware) {
  b[0] = 'Z';
  b[1] = 'E';
  b[2] = 'D';
  b[3] = 7;
  EXPECT_EQ(IdHardwareText(b), "");  // byte 31 zero: none
  b[31] = 'C' | 0x80;
  b[32] = 3;
  b[33] = 11;
  b[34] = 24;
  EXPECT_EQ(IdHardwareText(b), "241103C+ZED07");
  b[31] = 'C';
  EXPECT_EQ(IdHardwareText(b), "241103C_ZED07");
  b[31] = 0x80;  // no letter, the mark stays
  EXPECT_EQ(IdHardwareText(b), "241103+ZED07");
  b[34] = 255;
  EXPECT_EQ(IdHardwareText(b), "");
  b[34] = 24;
  b[31] = 255;
  EXPECT_EQ(IdHardwareText(b), "");
}

TEST_F(IdTextsTest, SerialNumber) {
  EXPECT_EQ(IdSerialText(b), "");                         // byte 39 zero
  const uint8_t sn[] = {0xAB, 7, 59, 30, 14, 5, 10, 23};  // bytes 39..46
  for (int i = 0; i < 8; ++i) b[39 + i] = sn[i];
  EXPECT_EQ(IdSerialText(b), "231005-143059-007ab");
  b[46] = 255;
  EXPECT_EQ(IdSerialText(b), "none SN");
  b[39] = 255;
  EXPECT_EQ(IdSerialText(b), "");
}

TEST_F(IdTextsTest, LastUpdateJudgesTheWholeStamp) {
  EXPECT_EQ(IdLastUpdateText(b), "");
  SetStamp(0xFFFFFFFFu);
  EXPECT_EQ(IdLastUpdateText(b), "");
  SetStamp(1696516200u);
  EXPECT_EQ(IdLastUpdateText(b), "(last update: 05.10.2023-14:30:00)");
  // Real stamps whose low byte is 0 or 255 still show.
  SetStamp(0x65000000u);
  EXPECT_EQ(IdLastUpdateText(b), "(last update: 12.09.2023-06:06:56)");
  SetStamp(0x650000FFu);
  EXPECT_EQ(IdLastUpdateText(b), "(last update: 12.09.2023-06:11:11)");
  SetStamp(0xFFFFFFFEu);
  EXPECT_EQ(IdLastUpdateText(b), "(last update: 07.02.2106-06:28:14)");
}

TEST_F(IdTextsTest, AdditionalTextFoldsGaps) {
  EXPECT_EQ(IdAdditionalText(b), "");
  b[47] = 0x41;
  b[48] = 0;
  b[49] = 0;
  b[50] = 0xFF;
  b[51] = 0x42;
  EXPECT_EQ(IdAdditionalText(b), "A~B");
  b[146] = 'Z';  // last byte taken
  b[147] = 'Q';  // not part of the text
  EXPECT_EQ(IdAdditionalText(b), "A~B~Z");
  b[47] = 0xFF;  // a gap before the first character counts too
  EXPECT_EQ(IdAdditionalText(b), "~B~Z");
}

TEST_F(IdTextsTest, CommandPrintsEveryLine) {
  b[0] = 'Z';
  b[1] = 'E';
  b[2] = 'D';
  b[3] = 7;
  b[4] = 5;
  b[5] = 38;
  b[6] = 23;
  b[7] = 14;
  b[8] = 30;
  b[47] = 'h';
  b[48] = 'i';
  SetStamp(1696516200u);
  char path[] = "/tmp/zeda-idtext-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  std::FILE* f = fdopen(fd, "wb");
  std::fwrite(b, 1, sizeof b, f);
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
  std::fwrite(b, 1, 149, f);
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
