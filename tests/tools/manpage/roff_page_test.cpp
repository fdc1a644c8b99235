#include "roff_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dm::manpage {
namespace {

TEST(ListedCommands, TakesTheFirstWordOfEachIndentedLineAfterCommands) {
    EXPECT_EQ(ListedCommands("usage: t COMMAND\n\ncommands:\n  info      show it\n  diff  compare\n"
                             "\nRun t COMMAND --help.\n  later  not listed\n"),
              (std::vector<std::string>{"info", "diff"}));
    EXPECT_EQ(ListedCommands("commands:\n  one\nnot indented\n  two\n"),
              (std::vector<std::string>{"one"}));
    EXPECT_TRUE(ListedCommands("usage: t [MAP]\n\n  indented, but no list\n").empty());
    EXPECT_TRUE(ListedCommands("").empty());
}

TEST(WriteManPage, SynopsisDescriptionAndCommandsInEscapedRoffWhereNoLineIsARequest) {
    HelpTexts texts;
    texts.program = "mapper";
    texts.version = "2.5.1";
    texts.summary = "draw maps - quickly";
    texts.help = "usage: mapper [--replay SCRIPT] [MAP]\n"
                 "       mapper --help | --version\n"
                 "\n"
                 "Opens MAP.\n"
                 "   Indented by one space more than a list: kept as laid out.\n"
                 "\n\n"
                 ".dots and 'quotes start lines; C:\\maps has a backslash.\n"
                 "'quoted\n"
                 "commands:\n"
                 "  info  print it\n"
                 "Back to filled text.\n";
    texts.commands = {{"info", "usage: mapper info FILE\n\nPrints FILE.\n  - one\n  .two\n"},
                      {"bare", "No usage line here.\n"}};
    EXPECT_EQ(WriteManPage(texts),
              ".\\\" Written from the text of \"mapper --help\"; change that text rather than "
              "this page.\n"
              ".TH MAPPER 1 \"\" \"mapper 2.5.1\" \"User Commands\"\n"
              ".nh\n"
              ".ad l\n"
              ".SH NAME\n"
              "mapper \\- draw maps \\- quickly\n"
              ".SH SYNOPSIS\n"
              ".nf\n"
              "mapper [\\-\\-replay SCRIPT] [MAP]\n"
              "mapper \\-\\-help | \\-\\-version\n"
              ".fi\n"
              ".SH DESCRIPTION\n"
              ".PP\n"
              "Opens MAP.\n"
              ".nf\n"
              "   Indented by one space more than a list: kept as laid out.\n"
              ".fi\n"
              ".PP\n"
              "\\&.dots and 'quotes start lines; C:\\emaps has a backslash.\n"
              "\\&'quoted\n"
              "commands:\n"
              ".nf\n"
              "  info  print it\n"
              ".fi\n"
              "Back to filled text.\n"
              ".SH COMMANDS\n"
              ".SS info\n"
              ".nf\n"
              "mapper info FILE\n"
              ".fi\n"
              ".PP\n"
              "Prints FILE.\n"
              ".nf\n"
              "  \\- one\n"
              "  .two\n"
              ".fi\n"
              ".SS bare\n"
              ".PP\n"
              "No usage line here.\n");
}

} // namespace
} // namespace dm::manpage
