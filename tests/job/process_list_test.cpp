// The decision of the process walk, against fake process lists.
#include "job/ProcessPresence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Serves names like a snapshot walk and counts how many were read.
struct FakeList {
    std::vector<std::string> names;
    std::size_t read = 0;
    bool operator()(Text& out)
    {
        if (read == names.size())
            return false;
        out = names[read++];
        return true;
    }
};

bool found(std::string_view name, std::vector<std::string> names)
{
    FakeList list{std::move(names)};
    return listHasProcess(name, list);
}

TEST(ProcessList, NamesMatchWhateverTheCaseOfTheirLetters)
{
    const std::vector<std::string> list = {"System", "explorer.exe", "CMD.EXE"};
    for (const char* name : {"cmd.exe", "CMD.EXE", "Cmd.Exe"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(found(name, list));
    }
    EXPECT_TRUE(found("EXPLORER.exe", list));
}

TEST(ProcessList, OnlyTheWholeNameMatches)
{
    const std::vector<std::string> list = {"xcmd.exe", "cmd.exe.old", "cmd"};
    EXPECT_FALSE(found("cmd.exe", list));
}

// 0x81 0x41 and 0x81 0x61 are two different double-byte characters; lower-
// casing must not turn the trail byte 'A' into 'a'.
TEST(ProcessList, TrailBytesAreNotLowerCased)
{
    EXPECT_FALSE(found("\x81\x41.exe", {"\x81\x61.exe"}));
    EXPECT_TRUE(found("\x81\x41.EXE", {"\x81\x41.exe"}));
}

TEST(ProcessList, EmptyNameMatchesNothing)
{
    FakeList list{{"", "cmd.exe"}};
    EXPECT_FALSE(listHasProcess("", list));
    EXPECT_EQ(list.read, 0u);
}

TEST(ProcessList, AListThatCannotBeReadHasNothing)
{
    EXPECT_FALSE(found("cmd.exe", {}));
}

TEST(ProcessList, WalkStopsAtTheFirstMatch)
{
    FakeList list{{"a.exe", "cmd.exe", "b.exe"}};
    EXPECT_TRUE(listHasProcess("cmd.exe", list));
    EXPECT_EQ(list.read, 2u);
}

} // namespace
