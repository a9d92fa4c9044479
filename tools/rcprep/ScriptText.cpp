#include "ScriptText.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>

namespace rcprep {

[[noreturn]] void Fail(const fs::path& file, size_t line, const std::string& what) {
    std::string where = file.string();
    if (line > 0)
        where += ":" + std::to_string(line);
    throw Failure{where, what};
}

// ---- Text decoding ---------------------------------------------------------

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string Utf16ToUtf8(const std::string& bytes, size_t start, bool bigEndian,
                        const fs::path& file) {
    if ((bytes.size() - start) % 2 != 0)
        Fail(file, 0, "UTF-16 text with an odd number of bytes");
    std::string out;
    out.reserve(bytes.size() / 2);
    size_t line = 1;
    auto unit = [&](size_t i) -> char16_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a);
    };
    for (size_t i = start; i < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00) {
            if (i + 2 >= bytes.size() || unit(i + 2) < 0xDC00 || unit(i + 2) >= 0xE000)
                Fail(file, line, "a UTF-16 surrogate without its pair");
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xDC00 && c < 0xE000) {
            Fail(file, line, "a UTF-16 surrogate without its pair");
        } else if (c == 0) {
            Fail(file, line, "a NUL character in the text");
        }
        if (c == '\n')
            ++line;
        AppendUtf8(out, c);
    }
    return out;
}

} // namespace

Text ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        Fail(file, 0, "cannot be read");
    std::ostringstream all;
    all << in.rdbuf();
    const std::string bytes = all.str();
    auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE)
        return {Utf16ToUtf8(bytes, 2, false, file), true};
    if (bytes.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF)
        return {Utf16ToUtf8(bytes, 2, true, file), true};
    // UTF-16 without a mark: an ASCII first character has a zero high byte.
    if (bytes.size() >= 2 && at(0) != 0 && at(1) == 0)
        return {Utf16ToUtf8(bytes, 0, false, file), true};
    if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF)
        return {bytes.substr(3), true};
    if (const auto nul = bytes.find('\0'); nul != std::string::npos)
        Fail(file, 1 + std::count(bytes.begin(), bytes.begin() + long(nul), '\n'),
             "a NUL byte in the text (not a resource script?)");
    return {bytes, false};
}

// Whether 8-bit text is valid UTF-8 (ASCII is).
bool IsUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t more = c < 0x80           ? 0
                            : (c >> 5) == 0x6  ? 1
                            : (c >> 4) == 0xE  ? 2
                            : (c >> 3) == 0x1E ? 3
                                               : 4;
        if (more == 4 || i + more >= text.size() + (more ? 0 : 1))
            return false;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2)
                return false;
        i += more + 1;
    }
    return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        begin = end + 1;
    }
    return lines;
}

// ---- Lexing of one line ----------------------------------------------------

// The line with its comments blanked out (same length), string literals kept.
// `inComment` carries a /* comment */ from line to line.
std::string CodeOf(const std::string& line, bool& inComment) {
    std::string code = line;
    bool inString = false;
    for (size_t i = 0; i < code.size(); ++i) {
        if (inComment) {
            if (code.compare(i, 2, "*/") == 0) {
                code[i] = code[i + 1] = ' ';
                ++i;
                inComment = false;
            } else {
                code[i] = ' ';
            }
        } else if (inString) {
            if (code[i] == '\\' && i + 1 < code.size())
                ++i;
            else if (code[i] == '"')
                inString = false;
        } else if (code[i] == '"') {
            inString = true;
        } else if (code.compare(i, 2, "//") == 0) {
            std::fill(code.begin() + long(i), code.end(), ' ');
            break;
        } else if (code.compare(i, 2, "/*") == 0) {
            code[i] = code[i + 1] = ' ';
            ++i;
            inComment = true;
        }
    }
    return code;
}

// Words, string literals and commas of a line's code.
std::vector<Token> Tokens(const std::string& code) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < code.size()) {
        const unsigned char c = code[i];
        if (std::isspace(c)) {
            ++i;
        } else if (c == ',') {
            tokens.push_back({i, i + 1, false, true});
            ++i;
        } else if (c == '"' ||
                   ((c == 'L' || c == 'l') && i + 1 < code.size() && code[i + 1] == '"')) {
            size_t j = code.find('"', i) + 1;
            while (j < code.size() && code[j] != '"') {
                if (code[j] == '\\')
                    ++j;
                ++j;
            }
            // Doubled quotes continue the literal.
            while (j + 1 < code.size() && code[j + 1] == '"') {
                j += 2;
                while (j < code.size() && code[j] != '"') {
                    if (code[j] == '\\')
                        ++j;
                    ++j;
                }
            }
            j = std::min(j + 1, code.size());
            tokens.push_back({i, j, true, false});
            i = j;
        } else {
            size_t j = i;
            while (j < code.size() && !std::isspace(static_cast<unsigned char>(code[j])) &&
                   code[j] != ',' && code[j] != '"')
                ++j;
            tokens.push_back({i, j, false, false});
            i = j;
        }
    }
    return tokens;
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool IsMemoryFlag(const std::string& word) {
    static const std::set<std::string> flags = {"DISCARDABLE", "MOVEABLE", "FIXED",
                                                "PURE",        "IMPURE",   "PRELOAD",
                                                "LOADONCALL",  "SHARED",   "NONSHARED"};
    return flags.count(Upper(word)) != 0;
}

bool IsBlockBegin(const std::string& word) {
    return word == "BEGIN" || word == "{";
}
bool IsBlockEnd(const std::string& word) {
    return word == "END" || word == "}";
}

// ---- File lookup -----------------------------------------------------------

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

bool IsFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// `name` (slashes only) under `folder`: exactly if it is there, else each
// missing component matched without regard to case (the first in name order
// when several match).
std::optional<fs::path> FindIn(const fs::path& folder, const std::string& name) {
    const fs::path exact = folder / name;
    if (IsFile(exact))
        return exact.lexically_normal();
    fs::path here = folder;
    const fs::path relative(name);
    for (auto part = relative.begin(); part != relative.end(); ++part) {
        const fs::path next = here / *part;
        std::error_code error;
        if (fs::exists(next, error)) {
            here = next;
            continue;
        }
        std::vector<fs::path> matches;
        for (fs::directory_iterator it(here, error), end; !error && it != end; it.increment(error))
            if (SameIgnoringCase(it->path().filename().string(), part->string()))
                matches.push_back(it->path());
        if (matches.empty())
            return std::nullopt;
        here = *std::min_element(matches.begin(), matches.end());
    }
    if (!IsFile(here))
        return std::nullopt;
    return here.lexically_normal();
}

// A file name as a script writes it, with each run of folder separators
// (backslashes or slashes) as one slash.
std::string Slashed(std::string_view written) {
    std::string name;
    for (char c : written) {
        if (c != '\\' && c != '/')
            name += c;
        else if (name.empty() || name.back() != '/')
            name += '/';
    }
    return name;
}

// The file name of a string literal: the text between its quotes, doubled
// quotes as one.
std::string UnquotedName(const std::string& literal) {
    const size_t first = literal.find('"') + 1;
    const size_t last = literal.rfind('"');
    std::string text;
    for (size_t i = first; i < last; ++i) {
        text += literal[i];
        if (literal[i] == '"' && i + 1 < last && literal[i + 1] == '"')
            ++i;
    }
    return Slashed(text);
}

} // namespace rcprep
