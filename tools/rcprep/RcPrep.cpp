// zx-rcprep: makes a resource script saved by Visual Studio readable by GNU
// windres and its preprocessor, which know neither UTF-16, backslashes in file
// names, file names that differ from the disk in case, nor every habit of
// Microsoft's rc.
//
//   zx-rcprep --out <copy.rc> --depfile <file.d> --stage <folder>
//             [-I <folder>]... <script.rc>
//
// It reads the script and, recursively, every file it #includes that can be
// found; each is written as a UTF-8 copy (the script to --out, the others into
// the stage folder) whose first line names the original for the
// preprocessor's messages, and whose lines match the original's one for one:
// - UTF-16 (with or without a byte-order mark) and UTF-8 with a mark become
//   UTF-8, and their code-page pragmas then name UTF-8; an 8-bit file they
//   include keeps the code page they named;
// - #include lines and resource-file statements (`IDI_X ICON "res\\x.ico"`)
//   name the file found: backslashes are folder separators, a name missing in
//   that exact case is matched without regard to case, and the folders
//   searched are the including file's, the script's, its parent and -I;
// - DLGINIT and AFX_DIALOG_LAYOUT data get the commas between lines that
//   Microsoft's rc does without; TOOLBAR becomes type 241 data in the layout
//   MFC reads (version 1, width, height, count, ids as 16-bit words), which
//   windres writes otherwise; an unguarded DESIGNINFO block (the editor's
//   guide lines) is dropped.
// The depfile lists every file read: scripts, headers and data files.
// Bad input stops it with "file:line: error: ..." and exit status 1.

#include "ScriptText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

using namespace rcprep;

namespace {

// ---- The pre-pass ----------------------------------------------------------

class Prepass {
public:
    Prepass(fs::path script, std::vector<fs::path> includeDirs, fs::path stage)
        : m_script(fs::absolute(script).lexically_normal()), m_stage(fs::absolute(stage)) {
        m_searchDirs.push_back(m_script.parent_path());
        if (m_script.parent_path().has_parent_path())
            m_searchDirs.push_back(m_script.parent_path().parent_path());
        for (auto& dir : includeDirs)
            m_searchDirs.push_back(fs::absolute(dir).lexically_normal());
    }

    void run(const fs::path& out) {
        write(out, convert(m_script));
        m_read.push_back(m_script);
    }

    const std::vector<fs::path>& filesRead() const { return m_read; }

private:
    static constexpr int kMaxDepth = 64;

    std::optional<fs::path> find(const std::string& name, const fs::path& from, bool quoted) const {
        if (name.empty())
            return std::nullopt;
        if (name.front() == '/')
            return IsFile(name) ? std::optional<fs::path>(fs::path(name)) : std::nullopt;
        if (quoted)
            if (auto found = FindIn(from.parent_path(), name))
                return found;
        for (const auto& dir : m_searchDirs)
            if (auto found = FindIn(dir, name))
                return found;
        // MFC's translated standard resources (l.deu/afxres.rc...) fall back
        // to the stand-ins in platform/rc, which exist in English only.
        if (name.size() > 2 && (name[0] == 'l' || name[0] == 'L') && name[1] == '.')
            if (const size_t slash = name.find('/');
                slash != std::string::npos && slash + 1 < name.size())
                return find(name.substr(slash + 1), from, false);
        return std::nullopt;
    }

    static void write(const fs::path& file, const std::string& text) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            Fail(file, 0, "cannot be written");
    }

    // Paths go into #include and #line lines and into windres strings, which
    // read quotes and backslashes differently: none may hold either.
    static std::string Quoted(const fs::path& path) {
        const std::string text = path.string();
        if (text.find_first_of("\"\\") != std::string::npos)
            Fail(path, 0, "a quote or backslash in a file's path cannot be passed on");
        return "\"" + text + "\"";
    }

    // The staged copy of an included file, made once.
    fs::path staged(const fs::path& file, int depth, const fs::path& from, size_t line) {
        if (auto it = m_staged.find(file); it != m_staged.end())
            return it->second;
        if (depth > kMaxDepth)
            Fail(from, line, "#include nested more than " + std::to_string(kMaxDepth) + " deep");
        const fs::path copy =
            m_stage / (std::to_string(m_staged.size()) + "_" + file.filename().string());
        m_staged[file] = copy; // before converting: a file that includes itself ends here
        m_read.push_back(file);
        write(copy, convert(file, depth + 1));
        return copy;
    }

    std::string convert(const fs::path& file, int depth = 0) {
        const Text text = ReadText(file);
        const std::string outerCodePage = m_rewrittenCodePage;
        const std::vector<std::string> lines = SplitLines(text.utf8);
        std::vector<std::string> out = lines;
        bool inComment = false;
        for (size_t n = 0; n < lines.size(); ++n) {
            const bool commentBefore = inComment;
            const std::string code = CodeOf(lines[n], inComment);
            const auto tokens = Tokens(code);
            if (tokens.empty())
                continue;
            auto word = [&](size_t i) {
                return i < tokens.size()
                           ? code.substr(tokens[i].begin, tokens[i].end - tokens[i].begin)
                           : std::string();
            };
            const std::string first = word(0);
            if (first.front() == '#') {
                out[n] = directive(lines[n], code, file, n + 1, depth, text.unicode);
                continue;
            }
            if (tokens.size() < 2 || tokens[0].comma || tokens[1].string || tokens[1].comma)
                continue;
            const std::string type = Upper(word(1));
            if (type == "DLGINIT" || type == "AFX_DIALOG_LAYOUT") {
                inComment = commentBefore;
                n = dataBlock(lines, out, n, file, inComment);
            } else if (type == "TOOLBAR") {
                inComment = commentBefore;
                n = toolbar(lines, out, n, file, inComment);
            } else if (type == "DESIGNINFO") {
                inComment = commentBefore;
                n = dropBlock(lines, out, n, file, inComment);
            } else if (tokens.back().string) {
                size_t i = 2;
                while (i + 1 < tokens.size() && !tokens[i].string && !tokens[i].comma &&
                       IsMemoryFlag(word(i)))
                    ++i;
                if (i + 1 == tokens.size())
                    out[n] = resourceFile(lines[n], tokens.back(), file);
            }
        }
        // An 8-bit file included where a UTF-16 script's code page became
        // UTF-8 is read in the code page the script named, and the script
        // goes on in UTF-8 whatever the file set.
        const bool inUtf8 = depth > 0 && !text.unicode && !outerCodePage.empty();
        std::string result;
        if (inUtf8 && !IsUtf8(text.utf8))
            result += "#pragma code_page(" + outerCodePage + ")\n";
        result += "#line 1 " + Quoted(file) + "\n";
        for (const auto& line : out)
            result += line + "\n";
        if (inUtf8) {
            result += "#pragma code_page(65001)\n";
            m_rewrittenCodePage = outerCodePage;
        }
        return result;
    }

    std::string directive(const std::string& line, const std::string& code, const fs::path& file,
                          size_t n, int depth, bool unicode) {
        size_t i = code.find('#') + 1;
        while (i < code.size() && std::isblank(static_cast<unsigned char>(code[i])))
            ++i;
        size_t j = i;
        while (j < code.size() && std::isalpha(static_cast<unsigned char>(code[j])))
            ++j;
        const std::string name = code.substr(i, j - i);
        if (name == "pragma" && code.find("code_page", j) != std::string::npos) {
            if (!unicode) {
                m_rewrittenCodePage.clear();
                return line;
            }
            const size_t open = code.find('(', j), close = code.find(')', j);
            if (open != std::string::npos && close != std::string::npos && open < close)
                m_rewrittenCodePage = code.substr(open + 1, close - open - 1);
            return "#pragma code_page(65001)";
        }
        if (name != "include")
            return line;
        const size_t open = code.find_first_of("\"<", j);
        if (open == std::string::npos)
            return line; // a macro names the file
        const char closer = code[open] == '"' ? '"' : '>';
        const size_t close = code.find(closer, open + 1);
        if (close == std::string::npos)
            Fail(file, n, "#include without the end of its file name");
        const std::string slashed = Slashed(code.substr(open + 1, close - open - 1));
        const auto found = find(slashed, file, closer == '"');
        if (!found) // perhaps in a branch not taken: the preprocessor decides
            return line.substr(0, open) + "\"" + slashed + "\"" + line.substr(close + 1);
        return line.substr(0, open) + Quoted(staged(*found, depth, file, n)) +
               line.substr(close + 1);
    }

    std::string resourceFile(const std::string& line, const Token& literal, const fs::path& file) {
        const std::string name =
            UnquotedName(line.substr(literal.begin, literal.end - literal.begin));
        const auto found = find(name, file, true);
        if (!found) // perhaps in a branch not taken: windres reports it if not
            return line.substr(0, literal.begin) + Quoted(name) + line.substr(literal.end);
        if (std::find(m_read.begin(), m_read.end(), *found) == m_read.end())
            m_read.push_back(*found);
        return line.substr(0, literal.begin) + Quoted(*found) + line.substr(literal.end);
    }

    // The line of the BEGIN that follows the header at `header`, and the line
    // of its matching END; blocks nest. `inComment` is the state before the
    // header line, and after the END line on return.
    static std::pair<size_t, size_t> Block(const std::vector<std::string>& lines, size_t header,
                                           const fs::path& file, bool& inComment) {
        size_t begin = lines.size();
        int depth = 0;
        for (size_t n = header; n < lines.size(); ++n) {
            std::string code = CodeOf(lines[n], inComment);
            const auto tokens = Tokens(code);
            for (size_t t = n == header ? 2 : 0; t < tokens.size(); ++t) {
                const std::string word =
                    code.substr(tokens[t].begin, tokens[t].end - tokens[t].begin);
                if (IsBlockBegin(word)) {
                    if (depth++ == 0 && begin == lines.size())
                        begin = n;
                } else if (IsBlockEnd(word)) {
                    if (depth == 0)
                        Fail(file, n + 1, "END without BEGIN");
                    if (--depth == 0)
                        return {begin, n};
                }
            }
        }
        Fail(file, header + 1, "BEGIN ... END block without its END");
    }

    // Items of DLGINIT-style data, one comma between each two, whatever the
    // lines had between them.
    static size_t dataBlock(const std::vector<std::string>& lines, std::vector<std::string>& out,
                            size_t header, const fs::path& file, bool& inComment) {
        const auto [begin, end] = Block(lines, header, file, inComment);
        bool edgeComment = false;
        if (begin == header || Tokens(CodeOf(lines[begin], edgeComment)).size() != 1 ||
            Tokens(CodeOf(lines[end], edgeComment)).size() != 1)
            return end; // not as Visual Studio writes it: left to windres
        std::vector<std::vector<std::string>> items(end - begin - 1);
        bool dataComment = false;
        for (size_t n = begin + 1; n < end; ++n) {
            const std::string code = CodeOf(lines[n], dataComment);
            std::string item;
            for (const auto& token : Tokens(code)) {
                if (token.comma) {
                    if (!item.empty())
                        items[n - begin - 1].push_back(item);
                    item.clear();
                } else {
                    item += (item.empty() ? "" : " ") +
                            code.substr(token.begin, token.end - token.begin);
                }
            }
            if (!item.empty())
                items[n - begin - 1].push_back(item);
        }
        size_t last = items.size();
        for (size_t i = 0; i < items.size(); ++i)
            if (!items[i].empty())
                last = i;
        for (size_t i = 0; i < items.size(); ++i) {
            std::string line = "    ";
            for (size_t k = 0; k < items[i].size(); ++k)
                line += (k ? ", " : "") + items[i][k];
            if (!items[i].empty() && i != last)
                line += ",";
            out[begin + 1 + i] = line;
        }
        return end;
    }

    // TOOLBAR width, height BEGIN BUTTON id / SEPARATOR ... END.
    static size_t toolbar(const std::vector<std::string>& lines, std::vector<std::string>& out,
                          size_t header, const fs::path& file, bool& inComment) {
        bool headerComment = inComment; // before the header, as Block wants it
        const std::string code = CodeOf(lines[header], headerComment);
        const auto tokens = Tokens(code);
        auto word = [&](size_t i) {
            return code.substr(tokens[i].begin, tokens[i].end - tokens[i].begin);
        };
        std::string name = word(0);
        size_t t = 2;
        std::string flags;
        while (t < tokens.size() && !tokens[t].comma && IsMemoryFlag(word(t)))
            flags += " " + word(t++);
        if (t + 3 > tokens.size() || tokens[t].comma || !tokens[t + 1].comma || tokens[t + 2].comma)
            Fail(file, header + 1, "TOOLBAR needs its button width and height (TOOLBAR 16, 15)");
        const std::string width = word(t), height = word(t + 2);
        const auto [begin, end] = Block(lines, header, file, inComment);
        if (begin == header)
            Fail(file, header + 1, "TOOLBAR's BEGIN on a line of its own expected");
        std::vector<std::string> items(lines.size());
        size_t count = 0;
        bool itemComment = false;
        for (size_t n = begin + 1; n < end; ++n) {
            const std::string item = CodeOf(lines[n], itemComment);
            const auto parts = Tokens(item);
            if (parts.empty())
                continue;
            const std::string kind =
                Upper(item.substr(parts[0].begin, parts[0].end - parts[0].begin));
            if (kind == "SEPARATOR" && parts.size() == 1) {
                items[n] = "    , 0";
            } else if (kind == "BUTTON" && parts.size() >= 2 && !parts[1].comma &&
                       !parts[1].string) {
                items[n] = "    , " + item.substr(parts[1].begin);
            } else {
                Fail(file, n + 1, "TOOLBAR items are BUTTON <id> or SEPARATOR");
            }
            ++count;
        }
        out[header] = name + " 241" + flags;
        for (size_t n = header + 1; n < begin; ++n)
            out[n] = "";
        out[begin] = "BEGIN 1, " + width + ", " + height + ", " + std::to_string(count);
        for (size_t n = begin + 1; n < end; ++n)
            out[n] = items[n];
        out[end] = "END";
        return end;
    }

    static size_t dropBlock(const std::vector<std::string>& lines, std::vector<std::string>& out,
                            size_t header, const fs::path& file, bool& inComment) {
        const size_t end = Block(lines, header, file, inComment).second;
        for (size_t n = header; n <= end; ++n)
            out[n] = "";
        return end;
    }

    fs::path m_script;
    fs::path m_stage;
    std::vector<fs::path> m_searchDirs;
    std::map<fs::path, fs::path> m_staged;
    std::vector<fs::path> m_read;
    // The code page named by the last #pragma code_page read, when it was
    // rewritten to UTF-8 (in a UTF-16 file); empty otherwise.
    std::string m_rewrittenCodePage;
};

std::string DepfileName(const fs::path& path) {
    std::string text;
    for (char c : path.string()) {
        if (c == ' ' || c == '#')
            text += '\\';
        if (c == '$')
            text += '$';
        text += c;
    }
    return text;
}

int Usage() {
    std::fputs(
        "usage: zx-rcprep --out <copy.rc> --depfile <file.d> --stage <folder> [-I <folder>]... "
        "<script.rc>\n",
        stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    fs::path out, depfile, stage, script;
    std::vector<fs::path> includeDirs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--out" && hasValue)
            out = argv[++i];
        else if (arg == "--depfile" && hasValue)
            depfile = argv[++i];
        else if (arg == "--stage" && hasValue)
            stage = argv[++i];
        else if (arg == "-I" && hasValue)
            includeDirs.emplace_back(argv[++i]);
        else if (arg.rfind("-", 0) != 0 && script.empty())
            script = arg;
        else
            return Usage();
    }
    if (out.empty() || depfile.empty() || stage.empty() || script.empty())
        return Usage();
    try {
        std::error_code error;
        fs::remove_all(stage, error);
        fs::create_directories(stage, error);
        if (error)
            Fail(stage, 0, "cannot be created: " + error.message());
        Prepass prepass(script, includeDirs, stage);
        prepass.run(out);
        std::string deps = DepfileName(fs::absolute(out)) + ":";
        for (const auto& file : prepass.filesRead())
            deps += " \\\n  " + DepfileName(file);
        std::ofstream dep(depfile, std::ios::binary | std::ios::trunc);
        dep << deps << "\n";
        if (!dep.flush())
            Fail(depfile, 0, "cannot be written");
    } catch (const Failure& failure) {
        std::fprintf(stderr, "%s: error: %s\n", failure.where.c_str(), failure.what.c_str());
        std::error_code error;
        fs::remove(out, error); // never leave a half-made copy for windres
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: error: %s\n", script.string().c_str(), e.what());
        std::error_code error;
        fs::remove(out, error);
        return 1;
    }
    return 0;
}
