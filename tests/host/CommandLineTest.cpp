// Tables of command lines for ParseCommandLine: how accepted lines split, and
// the exact message for each refused one. Accepted lines are also checked
// against how /bin/sh itself splits them.
#include "hx/CommandLine.h"

#include <gtest/gtest.h>

#include <string>

#include "TestUtil.h"

namespace {

// [arg][arg]... then " <[path]" when there is an input redirection.
std::string Dump(const hx::ParsedCommand& command) {
  std::string out;
  for (const std::string& arg : command.argv) out += "[" + arg + "]";
  if (!command.stdinPath.empty()) out += " <[" + command.stdinPath + "]";
  return out;
}

struct SplitCase {
  const char* line;
  const char* expected;
  bool sameInSh;  // /bin/sh splits the line into the same words
};

const SplitCase kSplitCases[] = {
    // Words and blanks.
    {"mminfo", "[mminfo]", true},
    // The forms the plug-in builds.
    {R"(nsradmin < "/tmp/x y/in.txt")", "[nsradmin] <[/tmp/x y/in.txt]", false},
    {R"(mminfo -xc, -aocnt -r "group,client,name" -q "group=a\" -x \"b")",
     R"([mminfo][-xc,][-aocnt][-r][group,client,name][-q][group=a" -x "b])", true},
    // Double quotes: a backslash escapes only " \ $ ` and newline.
    {R"(a "x\"y" "x\\y" "\$HOME" "\`id\`")", R"([a][x"y][x\y][$HOME][`id`])", true},
    {R"(a "x\ny\t\z\'")", R"([a][x\ny\t\z\'])", true},
    {R"(a "it's" "a;b|c&d>e<f(g)#h~")", R"([a][it's][a;b|c&d>e<f(g)#h~])", true},
    // ...and nothing in them is expanded, unlike in sh.
    {R"-(a "$(touch p)" "`id`" "$HOME")-", "[a][$(touch p)][`id`][$HOME]", false},
    // Single quotes keep everything.
    {R"(a 'x\y' '"q"' '$(id)' '\' '`id`')", R"([a][x\y]["q"][$(id)][\][`id`])", true},
    // Outside quotes a backslash makes the next character literal.
    {R"(a x\ y \" \' \< \| \; \$HOME \# \~ \\)", R"([a][x y]["]['][<][|][;][$HOME][#][~][\])", true},
    {"a x\\\ny", "[a][xy]", true},
    {"a b\\", "[a][b\\]", false},
    // Characters that are text where they stand.
    {"a $ b$ c$/d e#f g~ x=1 -r%", "[a][$][b$][c$/d][e#f][g~][x=1][-r%]", true},
    {"a *.hx-none ?x [ab]", "[a][*.hx-none][?x][[ab]]", false},
    // Pieces next to each other form one word; quotes alone give an empty word.
    {R"(a x"y z"'w v'u)", "[a][xy zw vu]", true},
    {R"(a "" '' b)", "[a][][][b]", true},
    // Input redirection, alone or glued, anywhere on the line.
    {"cat <in.txt", "[cat] <[in.txt]", false},
    {"< in.txt cat -n", "[cat][-n] <[in.txt]", false},
    {R"(cat <"a b"'c' -n)", "[cat][-n] <[a bc]", false},
    // A quoted or escaped '<' is text; so are digits that are quoted or follow a letter.
    {R"(cat "<" '<' \< x)", "[cat][<][<][<][x]", true},
    {R"(cat "2"<in)", "[cat][2] <[in]", false},
    // Quoted program names are neither reserved words nor assignments.
    {R"("if" \! "A=1" B"=2")", "[if][!][A=1][B=2]", true},
};

TEST(CommandLineTest, SplitsIntoWords) {
  for (const SplitCase& c : kSplitCases) {
    SCOPED_TRACE(c.line);
    hx::ParsedCommand parsed;
    std::string error, shell;
    ASSERT_TRUE(hx::ParseCommandLine(c.line, &parsed, &error)) << error;
    EXPECT_EQ(Dump(parsed), c.expected);
    if (!c.sameInSh) continue;
    const std::string script = "set -- " + std::string(c.line) + "\nprintf '[%s]' \"$@\"";
    EXPECT_EQ(testutil::RunProgram({"/bin/sh", "-c", script}, {}, &shell), 0) << shell;
    EXPECT_EQ(shell, Dump(parsed)) << "/bin/sh splits it otherwise";
  }
}

struct RejectCase {
  std::string_view line;
  const char* error;
};

const RejectCase kRejectCases[] = {
    // Nothing to run.
    {"", "empty command"},
    {"\\\n", "empty command"},
    {"< in.txt", "empty command: only an input redirection, no program"},
    {R"("" x)", "empty program name"},
    {std::string_view("a\0b", 3), "NUL byte at column 2"},
    // Quotes left open.
    {R"(a "b)", "unterminated double quote at column 3"},
    {R"(a 'b\' 'c)", "unterminated single quote at column 8"},
    // Input redirection misused.
    {"a <", "'<' at column 3: no file name follows it"},
    {"a < ''", "'<' at column 3: the file name is empty"},
    {"a <x <y", "second '<' at column 6: only one input redirection is allowed"},
    {"a <<EOF", "'<<' at column 3: only a plain '<' input redirection is supported"},
    {"a 0<f", "'0<' at column 3: only a plain '<' input redirection is supported"},
    // Shell syntax outside quotes.
    {"a < | b", "unquoted '|' at column 5: shell syntax is not supported (quote it to pass it as text)"},
    {"a;b", "unquoted ';' at column 2: shell syntax is not supported (quote it to pass it as text)"},
    {"a && b", "unquoted '&' at column 3: shell syntax is not supported (quote it to pass it as text)"},
    {"a 2>&1", "unquoted '>' at column 4: shell syntax is not supported (quote it to pass it as text)"},
    {"(a)", "unquoted '(' at column 1: shell syntax is not supported (quote it to pass it as text)"},
    {"a\nb", "unquoted newline at column 2: shell syntax is not supported (quote it to pass it as text)"},
    {"a `id`", "unquoted '`' at column 3: command substitution is not supported (quote it to pass it as text)"},
    {"a $(id)", "unquoted '$' at column 3: expansion is not supported (quote it to pass it as text)"},
    {"a x$HOME", "unquoted '$' at column 4: expansion is not supported (quote it to pass it as text)"},
    {"a $'\\n'", "unquoted '$' at column 3: expansion is not supported (quote it to pass it as text)"},
    {"a #c", "unquoted '#' at column 3: it would start a comment (quote it to pass it as text)"},
    {"a ~/x", "unquoted '~' at column 3: home directory expansion is not supported (quote it to pass it as text)"},
    // Words that mean something else where the program goes.
    {"A=1 a", "assignment 'A=' at column 1: setting variables is not supported"},
    {"< in _x9=1 a", "assignment '_x9=' at column 6: setting variables is not supported"},
    {"if true", "reserved word 'if' at column 1: compound commands are not supported"},
    {"{ a; }", "reserved word '{' at column 1: compound commands are not supported"},
};

TEST(CommandLineTest, RefusesWithMessage) {
  for (const RejectCase& c : kRejectCases) {
    hx::ParsedCommand parsed;
    std::string error;
    EXPECT_FALSE(hx::ParseCommandLine(c.line, &parsed, &error)) << c.line << " gave " << Dump(parsed);
    EXPECT_EQ(error, c.error) << c.line;
  }
}

}  // namespace
