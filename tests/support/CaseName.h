// GoogleTest names for the cases of a table: each case's `what`, with every
// character that is not a letter or a digit written as '_'.
//   INSTANTIATE_TEST_SUITE_P(Prefix, Suite, testing::ValuesIn(Cases), CaseName());
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

struct CaseName {
    template <class Case>
    std::string operator()(const testing::TestParamInfo<Case>& info) const
    {
        std::string name;
        for (const char* c = info.param.what; *c; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    }
};
