#include "job/DownloadJob.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

// "@ECHO OFF&PUSHD %~DP0 &TITLE 下载中，请勿关闭本窗口" CR LF, in code page 936.
const std::string Header = "@ECHO OFF&PUSHD %~DP0 &TITLE "
                           "\xCF\xC2\xD4\xD8\xD6\xD0\xA3\xAC\xC7\xEB\xCE\xF0\xB9\xD8\xB1\xD5"
                           "\xB1\xBE\xB4\xB0\xBF\xDA\r\n";
const std::string Xiazai = "\xCF\xC2\xD4\xD8"; // 下载
const std::string FullSpace = "\xA1\xA1";

std::string plainScript(const std::string& dirLine, const std::string& quotedAddress)
{
    return Header + dirLine + "\r\nwget -r -p -np -k " + quotedAddress;
}

TEST(DownloadJob, PlainScriptWithoutFolderHasAnEmptySecondLine)
{
    DownloadJob job;
    ASSERT_FALSE(job.preparePlain("http://127.0.0.1:8000/"));
    EXPECT_EQ(job.scriptBytes(), Header + "\r\nwget -r -p -np -k \"http://127.0.0.1:8000/\"");
}

TEST(DownloadJob, ProxiedScriptSetsBothProxiesAndKeepsTheFolderLine)
{
    DownloadJob job;
    ASSERT_FALSE(job.setSaveFolder("D:\\site"));
    ASSERT_FALSE(job.preparePlain("https://example.test/"));
    ASSERT_FALSE(job.prepareProxied("127.0.0.1", "8888", "https://example.test/"));
    EXPECT_EQ(job.scriptBytes(),
              Header + "if exist \"D:\\site\\*\" (cd /d \"D:\\site\") else exit /b 90\r\n"
                       "wget -r -p -np -k -N -t 3 -e\"http_proxy=http://127.0.0.1:8888\" "
                       "-e\"https_proxy=http://127.0.0.1:8888\" \"https://example.test/\"");
}

struct ScriptCase {
    const char* name;
    std::string folder;
    std::string address;
    std::string expected;
};

void PrintTo(const ScriptCase& c, std::ostream* os) { *os << c.name; }

class DownloadJobScript : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(DownloadJobScript, ComposesExactBytes)
{
    const ScriptCase& c = GetParam();
    DownloadJob job;
    ASSERT_FALSE(job.setSaveFolder(c.folder));
    ASSERT_FALSE(job.preparePlain(c.address));
    EXPECT_EQ(job.scriptBytes(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadJobScript,
    ::testing::Values(
        ScriptCase{"QueryStringIsQuotedAndPercentDoubled", "",
                   "http://h/a b.html?x=1&y=%20z#top",
                   plainScript("", "\"http://h/a b.html?x=1&y=%%20z#top\"")},
        ScriptCase{"FolderWithShellCharactersAndChinese",
                   "C:\\my files\\100% & ^up\\" + Xiazai, "http://h/",
                   plainScript("if exist \"C:\\my files\\100%% & ^up\\" + Xiazai +
                                   "\\*\" (cd /d \"C:\\my files\\100%% & ^up\\" + Xiazai +
                                   "\") else exit /b 90",
                               "\"http://h/\"")},
        ScriptCase{"EmptyFolderMeansNoFolder", "", "http://h/",
                   plainScript("", "\"http://h/\"")},
        ScriptCase{"BareDriveMeansItsRoot", "E:", "http://h/",
                   plainScript("if exist \"E:\\*\" (cd /d \"E:\\\") else exit /b 90",
                               "\"http://h/\"")},
        ScriptCase{"FolderEndingInBackslash", "E:\\out\\", "http://h/",
                   plainScript("if exist \"E:\\out\\*\" (cd /d \"E:\\out\\\") else exit /b 90",
                               "\"http://h/\"")},
        // The runtime would read \" as an escaped quote.
        ScriptCase{"TrailingBackslashesOfTheAddressAreDoubled", "", "http://h/a\\\\",
                   plainScript("", "\"http://h/a\\\\\\\\\"")},
        ScriptCase{"AddressIsTrimmedOfBothSpaceWidths", "",
                   FullSpace + " http://h/x " + FullSpace + " ",
                   plainScript("", "\"http://h/x\"")},
        ScriptCase{"GbkAddressPassesUnchanged", "", "http://h/" + Xiazai + "?q=" + Xiazai,
                   plainScript("", "\"http://h/" + Xiazai + "?q=" + Xiazai + "\"")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DownloadJob, ProxyFieldsAreTrimmedAndPercentDoubled)
{
    DownloadJob job;
    ASSERT_FALSE(job.prepareProxied(FullSpace + " pro%xy ", " 080" + FullSpace, " http://h/ "));
    EXPECT_EQ(job.scriptBytes(),
              Header + "\r\nwget -r -p -np -k -N -t 3 -e\"http_proxy=http://pro%%xy:080\" "
                       "-e\"https_proxy=http://pro%%xy:080\" \"http://h/\"");
}

TEST(DownloadJob, TwoPressesReuseTheFolderLineUntilItIsSetAgain)
{
    DownloadJob job;
    ASSERT_FALSE(job.setSaveFolder("C:\\a"));
    ASSERT_FALSE(job.preparePlain("http://h/1"));
    ASSERT_FALSE(job.preparePlain("http://h/2"));
    EXPECT_EQ(job.scriptBytes(),
              plainScript("if exist \"C:\\a\\*\" (cd /d \"C:\\a\") else exit /b 90",
                          "\"http://h/2\""));
    ASSERT_FALSE(job.setSaveFolder(""));
    ASSERT_FALSE(job.preparePlain("http://h/3"));
    EXPECT_EQ(job.scriptBytes(), plainScript("", "\"http://h/3\""));
}

struct RefusalCase {
    const char* name;
    std::string folder, host, port, address;
    JobRefusal expected;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class DownloadJobRefusal : public ::testing::TestWithParam<RefusalCase> {};

// Runs a whole press: folder, plain, proxied. The first refusal wins and the
// job is left holding no script, so nothing stale can be started.
TEST_P(DownloadJobRefusal, NamesTheBadFieldAndLeavesNoScript)
{
    const RefusalCase& c = GetParam();
    DownloadJob job;
    ASSERT_FALSE(job.preparePlain("http://h/old"));
    JobResult result = job.setSaveFolder(c.folder);
    if (!result)
        result = job.preparePlain(c.address);
    if (!result)
        result = job.prepareProxied(c.host, c.port, c.address);
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, c.expected);
    if (c.expected.field != JobField::SaveFolder) {
        EXPECT_EQ(job.scriptBytes(), "");
    }
}

using F = JobField;
using P = JobProblem;
INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadJobRefusal,
    ::testing::Values(
        RefusalCase{"QuoteInFolder", "C:\\a\"b", "h", "1", "http://h/", {F::SaveFolder, P::BadCharacter}},
        RefusalCase{"TabInFolder", "C:\\a\tb", "h", "1", "http://h/", {F::SaveFolder, P::BadCharacter}},
        RefusalCase{"QuoteInAddress", "", "h", "1", "http://h/\"&calc", {F::Address, P::BadCharacter}},
        RefusalCase{"CrInAddress", "", "h", "1", "http://h/\rx", {F::Address, P::BadCharacter}},
        RefusalCase{"LfInAddress", "", "h", "1", "http://h/\nx", {F::Address, P::BadCharacter}},
        RefusalCase{"EmptyAddress", "", "h", "1", "", {F::Address, P::Empty}},
        RefusalCase{"SpacesOnlyAddress", "", "h", "1", " \xA1\xA1 ", {F::Address, P::Empty}},
        RefusalCase{"QuoteInHost", "", "h\"", "1", "http://h/", {F::ProxyHost, P::BadCharacter}},
        RefusalCase{"EmptyHost", "", " ", "1", "http://h/", {F::ProxyHost, P::Empty}},
        RefusalCase{"ControlByteInPort", "", "h", "8\x01", "http://h/", {F::ProxyPort, P::BadCharacter}},
        RefusalCase{"EmptyPort", "", "h", "", "http://h/", {F::ProxyPort, P::Empty}},
        RefusalCase{"PortZero", "", "h", "0", "http://h/", {F::ProxyPort, P::BadPort}},
        RefusalCase{"PortTooLarge", "", "h", "65536", "http://h/", {F::ProxyPort, P::BadPort}},
        RefusalCase{"PortHuge", "", "h", "99999999999999999999", "http://h/", {F::ProxyPort, P::BadPort}},
        RefusalCase{"PortNotDigits", "", "h", "80a", "http://h/", {F::ProxyPort, P::BadPort}},
        RefusalCase{"PortSigned", "", "h", "+80", "http://h/", {F::ProxyPort, P::BadPort}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DownloadJob, HighestPortIsAccepted)
{
    DownloadJob job;
    EXPECT_FALSE(job.prepareProxied("h", "65535", "http://h/"));
}

TEST(DownloadJob, ReleaseEmptiesTheScript)
{
    DownloadJob job;
    ASSERT_FALSE(job.preparePlain("http://h/"));
    job.releaseJob();
    EXPECT_EQ(job.scriptBytes(), "");
}

} // namespace
