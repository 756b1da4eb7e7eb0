#include "platform/CommandLine.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase
{
    const char* name;
    const char* text;
    QStringList expected;
    friend void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }
};

class CommandLineSplit : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(CommandLineSplit, SplitsLikeTheWindowsRuntime)
{
    EXPECT_EQ(CommandLine::Split(QString::fromUtf8(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CommandLineSplit,
    ::testing::Values(
        SplitCase{"Empty", "", {}}, SplitCase{"OnlyBlanks", "  \t ", {}},
        SplitCase{"BlanksSeparate", "a b\tc", {"a", "b", "c"}},
        SplitCase{"LeadingBlanksOfConversionArgs", "  -i \"in.flv\" -y", {"-i", "in.flv", "-y"}},
        SplitCase{"QuotesGroupBlanks", "\"a b\" c", {"a b", "c"}},
        SplitCase{"QuotedPartInsideArgument", "a\"b c\"d", {"ab cd"}},
        SplitCase{"EmptyQuotedArgument", "a \"\" b", {"a", "", "b"}},
        SplitCase{"BackslashesAloneAreLiteral", "a\\\\b c\\", {"a\\\\b", "c\\"}},
        SplitCase{"OddBackslashesEscapeQuote", "a\\\"b", {"a\"b"}},
        SplitCase{"EvenBackslashesThenQuoteGroups", "\"a\\\\\" b", {"a\\", "b"}},
        SplitCase{"DoubledQuoteInsideGroupIsLiteral", "\"a\"\"b\"", {"a\"b"}},
        SplitCase{"PercentAndShellCharactersStayLiteral", "\"%a% $b `c` ;&|\"", {"%a% $b `c` ;&|"}},
        SplitCase{"UnclosedQuoteRunsToEnd", "\"a b", {"a b"}},
        SplitCase{"TemplateArgument", "--Inform=General;%Duration/String3%", {"--Inform=General;%Duration/String3%"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
