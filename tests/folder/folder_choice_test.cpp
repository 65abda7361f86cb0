// The folder dialog's answer shaped into a save folder.
#include "folder/FolderChoice.h"

#include "CaseName.h"

#include <gtest/gtest.h>

#include <cctype>

#include <optional>
#include <string>

namespace {

struct ChoiceCase {
    const char* what;
    std::string displayName;
    bool returnedItem;
    std::optional<Text> pathOfItem;
    Text expected;
    bool asksPath;
};

const std::string Untouched(260, ' '); // the caller's blank buffer, as a cancel leaves it

const ChoiceCase Cases[] = {
    {"cancel", Untouched, false, std::nullopt, "", false},
    {"drive root", "\xB1\xBE\xB5\xD8\xB4\xC5\xC5\xCC (C:)", true, "C:\\", "C:", true}, // 本地磁盘 (C:)
    {"ordinary folder", "\xCF\xC2\xD4\xD8", true, "C:\\users\\\xCF\xC2\xD4\xD8", // 下载
     "C:\\users\\\xCF\xC2\xD4\xD8", true},
    {"folder of another drive's root", "Data", true, "D:\\Data", "D:\\Data", true},
    {"item without a file-system path", "Network", true, std::nullopt, "", true},
    {"question mark in the name", "a?b", true, "C:\\a?b", "", false},
    {"question mark as the trail byte of a double-byte character", "\xB2\x3F" "x", true,
     "C:\\\xB2\x3F" "x", "C:\\\xB2\x3F" "x", true},
    {"typed name without an item", "  server\\share  ", false, std::nullopt, "\\\\server\\share",
     false},
    {"full-width spaces only", "\xA1\xA1\xA1\xA1", false, std::nullopt, "", false},
    {"full-width spaces around a typed name", "\xA1\xA1pc\xA1\xA1 ", false, std::nullopt, "\\\\pc",
     false},
};

class FolderChoiceTest : public testing::TestWithParam<ChoiceCase> {};

TEST_P(FolderChoiceTest, Shapes)
{
    const ChoiceCase& c = GetParam();
    bool asked = false;
    Text result = shapeFolderChoice(c.displayName, c.returnedItem, [&] {
        asked = true;
        return c.pathOfItem;
    });
    EXPECT_EQ(result, c.expected);
    EXPECT_EQ(asked, c.asksPath);
}

INSTANTIATE_TEST_SUITE_P(Answers, FolderChoiceTest, testing::ValuesIn(Cases), CaseName());

} // namespace
