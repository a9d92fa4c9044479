// What the resource pre-pass reads scripts with: their text in any of the
// encodings Visual Studio saves, the code of one line, and file names found
// the way Windows finds them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rcprep {

namespace fs = std::filesystem;

struct Failure {
    std::string where; // "file:line" or "file"
    std::string what;
};

struct Text {
    std::string utf8;
    bool unicode = false; // saved as UTF-16 or with a UTF-8 byte-order mark
};

struct Token {
    size_t begin;
    size_t end;
    bool string; // a quoted literal, with an L prefix perhaps
    bool comma;
};

// Stops the pre-pass: "file:line: error: what" (no line when it is 0).
[[noreturn]] void Fail(const fs::path& file, size_t line, const std::string& what);

// A file's text as UTF-8, from UTF-16 (with or without a byte-order mark),
// UTF-8 with a mark, or 8-bit text left as it is.
Text ReadText(const fs::path& file);

// Whether 8-bit text is valid UTF-8 (ASCII is).
bool IsUtf8(const std::string& text);

std::vector<std::string> SplitLines(const std::string& text);

// The line with its comments blanked out (same length), string literals kept.
// `inComment` carries a /* comment */ from line to line.
std::string CodeOf(const std::string& line, bool& inComment);

// Words, string literals and commas of a line's code.
std::vector<Token> Tokens(const std::string& code);

std::string Upper(std::string s);

bool IsMemoryFlag(const std::string& word);

bool IsBlockBegin(const std::string& word);

bool IsBlockEnd(const std::string& word);

bool IsFile(const fs::path& path);

// `name` (slashes only) under `folder`: exactly if it is there, else each
// missing component matched without regard to case (the first in name order
// when several match).
std::optional<fs::path> FindIn(const fs::path& folder, const std::string& name);

// A file name as a script writes it, with each run of folder separators
// (backslashes or slashes) as one slash.
std::string Slashed(std::string_view written);

// The file name of a string literal: the text between its quotes, doubled
// quotes as one.
std::string UnquotedName(const std::string& literal);

} // namespace rcprep
