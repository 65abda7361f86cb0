// The messages for each way a run can end or fail to start.
#include "job/DownloadJob.h"
#include "job/Outcome.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>

namespace {

// Code page 936 texts.
const std::string Succeeded = "\xCF\xC2\xD4\xD8\xB3\xC9\xB9\xA6";               // 下载成功
const std::string Failed = "\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC";                  // 下载失败
const std::string Interrupted = "\xCF\xC2\xD4\xD8\xD6\xD0\xB6\xCF";             // 下载中断
const std::string CannotStart = "\xCE\xDE\xB7\xA8\xBF\xAA\xCA\xBC\xCF\xC2\xD4\xD8"; // 无法开始下载
const std::string ExitLabel = "\xA3\xA8\xCD\xCB\xB3\xF6\xC2\xEB ";               // （退出码
const std::string ErrorLabel = "\xA3\xA8\xCF\xB5\xCD\xB3\xB4\xED\xCE\xF3\xC2\xEB "; // （系统错误码
const std::string Close = "\xA3\xA9";                                           // ）
const std::string SaveFolder = "\xB1\xA3\xB4\xE6\xCE\xC4\xBC\xFE\xBC\xD0";        // 保存文件夹

bool contains(const std::string& s, const std::string& part) { return s.find(part) != s.npos; }
bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(Outcome, SuccessIsExactlyTheShortMessageWithoutIcon)
{
    EXPECT_EQ(outcomeOfExit(0), (Outcome{Succeeded, Succeeded, 0}));
}

struct WgetFailure {
    unsigned long status;
    const char* meaning; // a word the text must carry
};

void PrintTo(const WgetFailure& c, std::ostream* os) { *os << "status " << c.status; }

class WgetFailureOutcome : public ::testing::TestWithParam<WgetFailure> {};

TEST_P(WgetFailureOutcome, NamesWgetsMeaningAndShowsTheStatus)
{
    const WgetFailure& c = GetParam();
    Outcome o = outcomeOfExit(c.status);
    EXPECT_EQ(o.caption, Failed);
    EXPECT_EQ(o.iconFlags, icon::Error);
    EXPECT_TRUE(contains(o.text, c.meaning)) << o.text;
    EXPECT_TRUE(endsWith(o.text, "\n\n" + ExitLabel + std::to_string(c.status) + Close)) << o.text;
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, WgetFailureOutcome,
    ::testing::Values(WgetFailure{1, "\xD2\xBB\xB0\xE3\xD0\xD4"},         // 一般性
                      WgetFailure{2, "\xC3\xFC\xC1\xEE\xD0\xD0"},         // 命令行
                      WgetFailure{3, "\xB6\xC1\xD0\xB4\xCE\xC4\xBC\xFE"}, // 读写文件
                      WgetFailure{4, "\xCD\xF8\xC2\xE7"},                 // 网络
                      WgetFailure{5, "SSL \xD6\xA4\xCA\xE9"},             // SSL 证书
                      WgetFailure{6, "\xC9\xED\xB7\xDD\xD1\xE9\xD6\xA4"}, // 身份验证
                      WgetFailure{7, "\xD0\xAD\xD2\xE9"}),                // 协议
    [](const auto& info) { return "Status" + std::to_string(info.param.status); });

TEST(Outcome, ServerErrorsAreAWarningThatTheMirrorIsIncomplete)
{
    Outcome o = outcomeOfExit(8);
    EXPECT_EQ(o.iconFlags, icon::Warning);
    EXPECT_NE(o.caption, Succeeded);
    EXPECT_NE(o.caption, Failed);
    EXPECT_TRUE(contains(o.text, "404")) << o.text;
    EXPECT_TRUE(endsWith(o.text, ExitLabel + "8" + Close));
}

TEST(Outcome, UnreachableFolderSaysSoWithoutTheScriptsOwnNumber)
{
    Outcome o = outcomeOfExit(FolderUnreachableStatus);
    EXPECT_EQ(o.caption, Failed);
    EXPECT_EQ(o.iconFlags, icon::Error);
    EXPECT_TRUE(contains(o.text, SaveFolder)) << o.text;
    EXPECT_FALSE(contains(o.text, "90"));
}

TEST(Outcome, EveryKnownStatusHasItsOwnText)
{
    std::set<std::string> texts;
    for (unsigned long s : {0ul, 1ul, 2ul, 3ul, 4ul, 5ul, 6ul, 7ul, 8ul, FolderUnreachableStatus})
        texts.insert(outcomeOfExit(s).text);
    texts.insert(outcomeOfExit(ControlCExitStatus).text);
    EXPECT_EQ(texts.size(), 11u);
}

// A closed console, a killed interpreter or a status nobody expects is never
// taken for success or for one of wget's meanings.
TEST(Outcome, AnyOtherStatusIsAnInterruptionShownWithItsNumber)
{
    struct Case {
        unsigned long status;
        const char* shown;
    } cases[] = {{ControlCExitStatus, "0xC000013A"}, {0xFFFFFFFF, "0xFFFFFFFF"}, {9, "9"},
                 {89, "89"},  {91, "91"}, {255, "255"}, {0xC0000005, "0xC0000005"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        Outcome o = outcomeOfExit(c.status);
        EXPECT_EQ(o.caption, Interrupted);
        EXPECT_EQ(o.iconFlags, icon::Warning);
        EXPECT_TRUE(endsWith(o.text, "\n\n" + ExitLabel + c.shown + Close)) << o.text;
    }
}

TEST(Outcome, StatusNumbersAreDecimalUpToFourHexDigitsThenHex)
{
    EXPECT_EQ(statusNumber(0), "0");
    EXPECT_EQ(statusNumber(65535), "65535");
    EXPECT_EQ(statusNumber(65536), "0x00010000");
    EXPECT_EQ(statusNumber(0xC000013A), "0xC000013A");
}

TEST(Outcome, ScriptNotWrittenNamesTheFolderAndTheSystemError)
{
    Outcome o = outcomeOfStartProblem(StartProblem::ScriptNotWritten, "C:\\", 5);
    EXPECT_EQ(o.caption, CannotStart);
    EXPECT_EQ(o.iconFlags, icon::Error);
    EXPECT_TRUE(contains(o.text, "\nC:\\\n\n" + ErrorLabel + "5" + Close)) << o.text;
    EXPECT_TRUE(endsWith(outcomeOfStartProblem(StartProblem::ScriptNotWritten, "C:\\", 0).text,
                         "\nC:\\"));
}

TEST(Outcome, EachStartProblemHasItsOwnTextAndNoneClaimsADownload)
{
    Outcome noScript = outcomeOfStartProblem(StartProblem::NoScript, "C:\\", 0);
    Outcome notWritten = outcomeOfStartProblem(StartProblem::ScriptNotWritten, "C:\\", 0);
    Outcome notStarted = outcomeOfStartProblem(StartProblem::ScriptNotStarted, "C:\\", 2);
    for (const Outcome& o : {noScript, notWritten, notStarted}) {
        EXPECT_EQ(o.caption, CannotStart);
        EXPECT_EQ(o.iconFlags, icon::Error);
    }
    EXPECT_NE(noScript.text, notWritten.text);
    EXPECT_NE(notWritten.text.substr(0, 20), notStarted.text.substr(0, 20));
    EXPECT_TRUE(endsWith(notStarted.text, "\n\n" + ErrorLabel + "2" + Close));
    EXPECT_FALSE(contains(noScript.text, ErrorLabel));
}

} // namespace
