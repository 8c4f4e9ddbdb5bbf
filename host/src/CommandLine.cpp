// Splits a command line into an argument vector and an optional input file,
// following sh's quoting rules and refusing shell syntax we do not run.
#include "hx/CommandLine.h"

#include <algorithm>
#include <utility>

namespace hx {
namespace {

constexpr char kQuoteHint[] = " (quote it to pass it as text)";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) { return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }

// Unquoted characters that end a word and that sh would run as syntax
// (pipes, lists, background jobs, output redirection, subshells, a new command).
bool IsOperator(char c) {
  return c == '|' || c == ';' || c == '&' || c == '>' || c == '(' || c == ')' || c == '\n';
}

// Characters after an unquoted '$' that make sh expand something (or, for the
// quotes, that newer shells read as $'...' escapes or $"..." translations).
bool StartsExpansion(char c) {
  constexpr std::string_view kSpecial = "({@*#?-$!'\"";
  return c != '\0' && (IsNameChar(c) || kSpecial.find(c) != std::string_view::npos);
}

// Inside double quotes a backslash escapes only these; before anything else it stays.
bool IsDoubleQuoteEscapable(char c) {
  return c == '"' || c == '\\' || c == '$' || c == '`' || c == '\n';
}

bool IsName(std::string_view s) {
  return !s.empty() && IsNameStart(s[0]) && std::all_of(s.begin(), s.end(), IsNameChar);
}

bool IsAllDigits(std::string_view s) { return !s.empty() && std::all_of(s.begin(), s.end(), IsDigit); }

// Words that open or close a compound command when they stand where the program goes.
bool IsReservedWord(std::string_view w) {
  constexpr std::string_view kWords[] = {"!",    "{",    "}",  "case", "do",   "done",  "elif", "else",
                                         "esac", "fi",   "for", "if",  "then", "until", "while"};
  return std::find(std::begin(kWords), std::end(kWords), w) != std::end(kWords);
}

std::string Unquoted(char c) {
  return c == '\n' ? std::string("unquoted newline") : "unquoted '" + std::string(1, c) + "'";
}

// One pass over the line; each Read* function consumes one construct and
// either moves past it or records an error and returns false.
class Splitter {
 public:
  Splitter(std::string_view line, std::string* error) : line_(line), error_(error) {}
  bool Split(ParsedCommand* out);

 private:
  struct Word {
    std::string text;
    bool quoted = false;  // some part was quoted or escaped
    size_t start = 0;
  };

  bool AtEnd() const { return pos_ >= line_.size(); }
  char Peek(size_t ahead = 0) const { return pos_ + ahead < line_.size() ? line_[pos_ + ahead] : '\0'; }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(Peek())) ++pos_;
  }
  bool Fail(std::string message) {
    *error_ = std::move(message);
    return false;
  }
  // Refuses the unquoted character at the cursor, which sh would not take as text.
  bool Refuse(char c, std::string_view why) {
    return Fail(At(pos_, Unquoted(c)) + ": " + std::string(why) + kQuoteHint);
  }
  static std::string At(size_t at, std::string_view what) {
    return std::string(what) + " at column " + std::to_string(at + 1);
  }

  bool CheckNoNul();
  bool ReadRedirection(ParsedCommand* out);
  bool ReadWord(Word* word, bool programPosition);
  bool ReadUnquoted(Word* word, bool programPosition);
  bool ReadSingleQuoted(Word* word);
  bool ReadDoubleQuoted(Word* word);
  void ReadBackslash(Word* word);
  bool CheckBeforeRedirection(const Word& word);
  bool CheckProgram(const Word& word);
  bool Finish(const ParsedCommand& out);

  std::string_view line_;
  std::string* error_;
  size_t pos_ = 0;
  bool redirected_ = false;
};

bool Splitter::Split(ParsedCommand* out) {
  out->argv.clear();
  out->stdinPath.clear();
  if (!CheckNoNul()) return false;
  for (SkipBlanks(); !AtEnd(); SkipBlanks()) {
    if (Peek() == '<') {
      if (!ReadRedirection(out)) return false;
      continue;
    }
    const bool programPosition = out->argv.empty();
    Word word;
    if (!ReadWord(&word, programPosition)) return false;
    if (!word.quoted && word.text.empty()) continue;  // only line continuations
    if (programPosition && !CheckProgram(word)) return false;
    out->argv.push_back(std::move(word.text));
  }
  return Finish(*out);
}

// An argument vector is a list of C strings, so a NUL byte could only be cut.
bool Splitter::CheckNoNul() {
  const size_t nul = line_.find('\0');
  return nul == std::string_view::npos || Fail(At(nul, "NUL byte"));
}

bool Splitter::ReadRedirection(ParsedCommand* out) {
  const size_t at = pos_++;
  if (Peek() == '<' || Peek() == '>' || Peek() == '&') {
    return Fail(At(at, "'<" + std::string(1, Peek()) + "'") + ": only a plain '<' input redirection is supported");
  }
  if (redirected_) return Fail(At(at, "second '<'") + ": only one input redirection is allowed");
  SkipBlanks();
  if (AtEnd() || Peek() == '<') return Fail(At(at, "'<'") + ": no file name follows it");
  Word path;
  if (!ReadWord(&path, false)) return false;
  if (path.text.empty()) return Fail(At(at, "'<'") + ": the file name is empty");
  redirected_ = true;
  out->stdinPath = std::move(path.text);
  return true;
}

// Reads one word up to a blank, an unquoted '<' or the end of the line.
bool Splitter::ReadWord(Word* word, bool programPosition) {
  word->start = pos_;
  while (!AtEnd() && !IsBlank(Peek()) && Peek() != '<') {
    bool ok = true;
    switch (Peek()) {
      case '\'':
        ok = ReadSingleQuoted(word);
        break;
      case '"':
        ok = ReadDoubleQuoted(word);
        break;
      case '\\':
        ReadBackslash(word);
        break;
      default:
        ok = ReadUnquoted(word, programPosition);
        break;
    }
    if (!ok) return false;
  }
  return CheckBeforeRedirection(*word);
}

// One unquoted character: literal text, or shell syntax that we refuse.
bool Splitter::ReadUnquoted(Word* word, bool programPosition) {
  const char c = Peek();
  const bool wordStart = word->text.empty() && !word->quoted;
  if (IsOperator(c)) return Refuse(c, "shell syntax is not supported");
  if (c == '`') return Refuse(c, "command substitution is not supported");
  if (c == '$' && StartsExpansion(Peek(1))) return Refuse(c, "expansion is not supported");
  if (c == '#' && wordStart) return Refuse(c, "it would start a comment");
  if (c == '~' && wordStart) return Refuse(c, "home directory expansion is not supported");
  if (c == '=' && programPosition && !word->quoted && IsName(word->text)) {
    return Fail(At(word->start, "assignment '" + word->text + "='") + ": setting variables is not supported");
  }
  word->text.push_back(c);
  ++pos_;
  return true;
}

bool Splitter::ReadSingleQuoted(Word* word) {
  const size_t open = pos_;
  const size_t close = line_.find('\'', open + 1);
  if (close == std::string_view::npos) return Fail(At(open, "unterminated single quote"));
  word->text.append(line_.substr(open + 1, close - open - 1));
  word->quoted = true;
  pos_ = close + 1;
  return true;
}

bool Splitter::ReadDoubleQuoted(Word* word) {
  const size_t open = pos_++;
  word->quoted = true;
  while (!AtEnd() && Peek() != '"') {
    if (Peek() == '\\' && IsDoubleQuoteEscapable(Peek(1))) {
      if (Peek(1) != '\n') word->text.push_back(Peek(1));
      pos_ += 2;
    } else {
      word->text.push_back(Peek());
      ++pos_;
    }
  }
  if (AtEnd()) return Fail(At(open, "unterminated double quote"));
  ++pos_;
  return true;
}

// Outside quotes a backslash makes the next character literal and
// backslash-newline (a line continuation) disappears. A backslash that ends the
// line has nothing to escape and stays, as it does in sh.
void Splitter::ReadBackslash(Word* word) {
  if (pos_ + 1 >= line_.size()) {
    word->text.push_back('\\');
    ++pos_;
    return;
  }
  const char next = line_[pos_ + 1];
  pos_ += 2;
  if (next == '\n') return;
  word->text.push_back(next);
  word->quoted = true;
}

// sh reads unquoted digits glued to '<' (as in 3<file) as a descriptor number.
bool Splitter::CheckBeforeRedirection(const Word& word) {
  if (Peek() != '<' || word.quoted || !IsAllDigits(word.text)) return true;
  return Fail(At(word.start, "'" + word.text + "<'") + ": only a plain '<' input redirection is supported");
}

bool Splitter::CheckProgram(const Word& word) {
  if (word.quoted || !IsReservedWord(word.text)) return true;
  return Fail(At(word.start, "reserved word '" + word.text + "'") + ": compound commands are not supported");
}

bool Splitter::Finish(const ParsedCommand& out) {
  if (out.argv.empty()) {
    return Fail(redirected_ ? "empty command: only an input redirection, no program" : "empty command");
  }
  return !out.argv[0].empty() || Fail("empty program name");
}

void SetQuietly(std::string* error, const char* message) noexcept {
  if (error == nullptr) return;
  try {
    *error = message;
  } catch (...) {
    error->clear();
  }
}

}  // namespace

bool ParseCommandLine(std::string_view line, ParsedCommand* out, std::string* error) {
  try {
    std::string message;
    Splitter splitter(line, &message);
    if (splitter.Split(out)) return true;
    if (error != nullptr) *error = std::move(message);
  } catch (...) {  // only allocation can fail; nothing may escape to the caller
    SetQuietly(error, "out of memory while splitting the command line");
  }
  return false;
}

std::string EscapeForDoubleQuotes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (IsDoubleQuoteEscapable(c) && c != '\n') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace hx
