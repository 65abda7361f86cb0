// Naming each run's script file and claiming the first free name.
#include "job/ScriptFile.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

TEST(ScriptFile, DefaultNamesAreTheTemporaryFileThenNumberedOnes)
{
    // "C:\临时文件.bat", "C:\临时文件2.bat", "C:\临时文件10.bat" in code page 936.
    const std::string base = "C:\\\xC1\xD9\xCA\xB1\xCE\xC4\xBC\xFE";
    EXPECT_EQ(scriptCandidate(DefaultScriptFolder, DefaultScriptBaseName, 1), base + ".bat");
    EXPECT_EQ(scriptCandidate(DefaultScriptFolder, DefaultScriptBaseName, 2), base + "2.bat");
    EXPECT_EQ(scriptCandidate(DefaultScriptFolder, DefaultScriptBaseName, 10), base + "10.bat");
}

TEST(ScriptFile, FolderGetsOneSeparator)
{
    struct Case {
        const char* folder;
        const char* path;
    } cases[] = {
        {"C:\\", "C:\\run.bat"},
        {"C:\\tests", "C:\\tests\\run.bat"},
        {"Z:/tmp/", "Z:/tmp/run.bat"},
        // 表 (0xB1 0xED) ends the folder; 0x95 0x5C is a character whose trail
        // byte is a backslash, which is no separator.
        {"C:\\\xB1\xED", "C:\\\xB1\xED\\run.bat"},
        {"C:\\\x95\x5C", "C:\\\x95\x5C\\run.bat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(scriptCandidate(c.folder, "run", 1), c.path);
    }
}

// A folder of fake files: the ones named exist, creating another adds it.
struct FakeFolder {
    std::set<std::string> present;
    std::string failAt; // creating this one fails for another reason
    std::vector<std::string> tried;
    Claim operator()(const Text& path)
    {
        tried.push_back(path);
        if (path == failAt)
            return Claim::Failed;
        return present.insert(path).second ? Claim::Created : Claim::Taken;
    }
};

TEST(ScriptFile, FirstFreeNameIsClaimedAndNothingPresentIsTouched)
{
    FakeFolder folder;
    folder.present = {"D:\\s.bat", "D:\\s2.bat", "D:\\s4.bat"};
    EXPECT_EQ(claimScriptFile("D:\\", "s", folder), "D:\\s3.bat");
    EXPECT_EQ(claimScriptFile("D:\\", "s", folder), "D:\\s5.bat");
    EXPECT_EQ(folder.tried, (std::vector<std::string>{"D:\\s.bat", "D:\\s2.bat", "D:\\s3.bat",
                                                      "D:\\s.bat", "D:\\s2.bat", "D:\\s3.bat",
                                                      "D:\\s4.bat", "D:\\s5.bat"}));
}

TEST(ScriptFile, AnotherFailureStopsTheSearch)
{
    FakeFolder folder;
    folder.present = {"D:\\s.bat"};
    folder.failAt = "D:\\s2.bat";
    EXPECT_EQ(claimScriptFile("D:\\", "s", folder), std::nullopt);
    EXPECT_EQ(folder.tried.size(), 2u);
}

TEST(ScriptFile, GivesUpWhenEveryNameIsTaken)
{
    FakeFolder folder;
    for (unsigned n = 1; n <= MaxScriptCandidates; ++n)
        folder.present.insert(scriptCandidate("D:\\", "s", n));
    EXPECT_EQ(claimScriptFile("D:\\", "s", folder), std::nullopt);
    EXPECT_EQ(folder.tried.size(), MaxScriptCandidates);
    EXPECT_EQ(folder.present.size(), MaxScriptCandidates);
}

} // namespace
