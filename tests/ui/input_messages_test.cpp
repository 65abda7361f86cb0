// The warnings for input that cannot start a download: the composer's real
// refusals mapped to their texts, and the texts themselves checked against
// the Chinese they are meant to say.
#include "ui/InputMessages.h"

#include "Gbk.h"

#include "CaseName.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

namespace {

struct RefusalCase {
    const char* what;
    std::function<JobResult(DownloadJob&)> input;
    const char* expected; // UTF-8
};

const char FolderBadCharacter[] = "保存路径中含有双引号或控制字符，请重新选择保存文件夹。";
const char AddressBadCharacter[] = "网址中含有双引号或控制字符，请检查网址。";
const char AddressEmpty[] = "请输入要下载的网址。";
const char HostBadCharacter[] = "代理地址中含有双引号或控制字符，请检查代理地址。";
const char HostEmpty[] = "请输入代理地址。";
const char PortBadCharacter[] = "代理端口中含有双引号或控制字符，请检查端口。";
const char PortEmpty[] = "请输入代理端口。";
const char PortOutOfRange[] = "代理端口应为 1 到 65535 之间的数字。";

const char Site[] = "http://127.0.0.1:8000/";

const RefusalCase Refusals[] = {
    {"folder with a double quote", [](DownloadJob& j) { return j.setSaveFolder("C:\\a\"b"); },
     FolderBadCharacter},
    {"folder with a tab", [](DownloadJob& j) { return j.setSaveFolder("C:\\a\tb"); },
     FolderBadCharacter},
    {"address with a double quote",
     [](DownloadJob& j) { return j.preparePlain("http://127.0.0.1/\"x"); }, AddressBadCharacter},
    {"address with a line break",
     [](DownloadJob& j) { return j.preparePlain("http://127.0.0.1/\nx"); }, AddressBadCharacter},
    {"blank address", [](DownloadJob& j) { return j.preparePlain(" \xA1\xA1 "); }, AddressEmpty},
    {"blank address through the proxy",
     [](DownloadJob& j) { return j.prepareProxied("127.0.0.1", "8080", ""); }, AddressEmpty},
    {"host with a double quote",
     [](DownloadJob& j) { return j.prepareProxied("a\"b", "8080", Site); }, HostBadCharacter},
    {"empty host", [](DownloadJob& j) { return j.prepareProxied("", "8080", Site); }, HostEmpty},
    {"port with a double quote",
     [](DownloadJob& j) { return j.prepareProxied("127.0.0.1", "80\"", Site); }, PortBadCharacter},
    {"empty port", [](DownloadJob& j) { return j.prepareProxied("127.0.0.1", " ", Site); },
     PortEmpty},
    {"port above 65535",
     [](DownloadJob& j) { return j.prepareProxied("127.0.0.1", "65536", Site); }, PortOutOfRange},
    {"port zero", [](DownloadJob& j) { return j.prepareProxied("127.0.0.1", "0", Site); },
     PortOutOfRange},
    {"port not a number",
     [](DownloadJob& j) { return j.prepareProxied("127.0.0.1", "http", Site); }, PortOutOfRange},
};

class RefusalMessageTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalMessageTest, TellsWhatIsWrong)
{
    DownloadJob job;
    JobResult refusal = GetParam().input(job);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(messageOf(problemOf(*refusal)), gbk(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Composer, RefusalMessageTest, testing::ValuesIn(Refusals), CaseName());

TEST(InputMessageTest, FolderChecksOfTheWindow)
{
    EXPECT_EQ(messageOf(InputProblem::FolderMissing), gbk("保存文件夹不存在，请重新选择。"));
    EXPECT_EQ(messageOf(InputProblem::FolderNotAFolder), gbk("保存路径不是文件夹，请重新选择。"));
    EXPECT_EQ(messageOf(InputProblem::FolderNotInCodePage),
              gbk("保存路径中含有本程序无法使用的字符，请换一个保存文件夹。"));
    EXPECT_EQ(InputMessageCaption, gbk("Velmora整站下载"));
}

TEST(InputMessageTest, PairsTheComposerNeverReportsStillGetTheirFieldsText)
{
    EXPECT_EQ(messageOf(problemOf({JobField::SaveFolder, JobProblem::Empty})),
              gbk("保存路径无效，请重新选择。"));
    EXPECT_EQ(messageOf(problemOf({JobField::Address, JobProblem::BadPort})),
              gbk("网址无效，请检查网址。"));
    EXPECT_EQ(messageOf(problemOf({JobField::ProxyHost, JobProblem::BadPort})),
              gbk("代理地址无效，请检查代理地址。"));
}

TEST(InputMessageTest, EveryProblemHasATextOfItsOwn)
{
    std::set<std::string_view> seen;
    for (int p = static_cast<int>(InputProblem::FolderBadCharacter);
         p <= static_cast<int>(InputProblem::PortInvalid); ++p) {
        std::string_view text = messageOf(static_cast<InputProblem>(p));
        EXPECT_FALSE(text.empty()) << "problem " << p;
        EXPECT_TRUE(seen.insert(text).second) << "problem " << p << " repeats another's text";
    }
}

} // namespace
