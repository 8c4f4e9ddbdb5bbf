// Splits a command line into program arguments the way a POSIX shell would for
// the simple forms the plug-in builds, so the command can be run without a shell.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hx {

struct ParsedCommand {
  std::vector<std::string> argv;  // argv[0] is the program (looked up in PATH)
  std::string stdinPath;          // empty: no input redirection
};

// Splits `line` into words as sh does for these forms:
//   - words are separated by blanks and tabs;
//   - '...' keeps everything literally; "..." keeps everything literally except
//     that a backslash before " \ $ ` or a newline escapes it (backslash-newline
//     disappears); before any other character the backslash stays;
//   - outside quotes a backslash makes the next character literal and
//     backslash-newline disappears;
//   - quoted and unquoted pieces next to each other join into one word;
//   - one optional input redirection `<` (alone or glued: `<file`, `cmd<file`,
//     `< "file"`), anywhere on the line, whose following word is the path.
// Nothing is expanded: quoted text is always literal, so `"$(x)"` is passed as
// the eight characters. Unquoted text that sh would treat as syntax we do not run
// is refused rather than passed on with a different meaning: | ; & > ( ) newline,
// `...`, $( ${ $NAME $1 and other expansions, other redirections (<< <> <& 2<),
// a word starting with # (comment) or ~ (home directory), a leading NAME=value
// assignment and a reserved word (if, !, {, ...) as the program. Unquoted glob
// characters (* ? [) are passed literally, as sh does when nothing matches.
// Also refused: unterminated quotes, '<' without a path, two redirections, a NUL
// byte, an empty line or empty program name.
//
// On success fills *out and returns true. On failure returns false, leaves *out
// unspecified and sets *error to a message naming the problem and its 1-based
// column. Never throws.
bool ParseCommandLine(std::string_view line, ParsedCommand* out, std::string* error);

// `text` escaped for a place inside double quotes (" \ $ ` get a backslash),
// so that whatever it holds stays literal text of one word.
std::string EscapeForDoubleQuotes(std::string_view text);

}  // namespace hx
