#include "platform/RtfReader.h"

#include "platform/WideText.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace zx {

namespace {

// Deeper nesting than this is content nobody writes; its groups are read as
// if flattened so that a hostile file cannot grow the state stack.
constexpr int kMaxDepth = 512;
constexpr int kMaxFonts = 4096;
constexpr int kMaxColors = 4096;

enum class Dest {
    Text, // ordinary document text
    Skip, // a destination whose content is not shown
    FontTable,
    ColorTable,
    PnText, // the fall-back text of an old-style bullet or number
    Pn,     // {\*\pn ...}: the paragraph numbering properties
};

struct GroupState {
    Dest dest = Dest::Text;
    RtfCharFormat chr;
    RtfParaFormat para;
    int uc = 1; // characters that follow \uN as its fall-back
    bool listPara = false;
};

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class Parser {
public:
    explicit Parser(std::string_view in) : m_in(in) {}

    RtfDocument run() {
        m_stack.emplace_back();
        m_stack.back().dest = Dest::Skip; // nothing before the first group counts
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos];
            if (c == '{') {
                ++m_pos;
                openGroup();
            } else if (c == '}') {
                ++m_pos;
                closeGroup();
            } else if (c == '\\') {
                ++m_pos;
                controlSequence();
            } else if (c == '\r' || c == '\n' || c == '\0') {
                ++m_pos;
            } else {
                ++m_pos;
                literal(static_cast<unsigned char>(c));
            }
        }
        finishDocument();
        return std::move(m_doc);
    }

private:
    GroupState& state() { return m_stack.back(); }

    void openGroup() {
        if (static_cast<int>(m_stack.size()) >= kMaxDepth) {
            ++m_flattened;
            return;
        }
        GroupState next = state();
        if (m_stack.size() == 1 && !m_sawDocumentGroup) {
            m_sawDocumentGroup = true;
            next.dest = Dest::Text;
        }
        m_stack.push_back(std::move(next));
        m_groupStart = true;
        m_ucSkip = 0;
    }

    void closeGroup() {
        m_ucSkip = 0;
        m_groupStart = false;
        if (m_flattened > 0) {
            --m_flattened;
            return;
        }
        if (m_stack.size() <= 1)
            return; // a stray brace
        const GroupState closed = std::move(m_stack.back());
        m_stack.pop_back();
        if (closed.dest == Dest::FontTable && state().dest != Dest::FontTable)
            endFontEntry();
        if (closed.dest == Dest::Pn && closed.para.bullet && m_stack.back().dest == Dest::Text) {
            // The numbering properties belong to the paragraph they appear in.
            state().para.bullet = true;
            m_paraBullet = true;
        }
    }

    void controlSequence() {
        if (m_pos >= m_in.size())
            return;
        const char c = m_in[m_pos];
        if (!IsLetter(c)) {
            ++m_pos;
            controlSymbol(c);
            return;
        }
        const size_t start = m_pos;
        while (m_pos < m_in.size() && IsLetter(m_in[m_pos]) && m_pos - start < 32)
            ++m_pos;
        // Words longer than RTF allows are cut; the rest reads as more letters.
        const std::string_view word = m_in.substr(start, m_pos - start);
        bool hasParam = false;
        bool negative = false;
        std::int64_t value = 0;
        if (m_pos < m_in.size() && m_in[m_pos] == '-' && m_pos + 1 < m_in.size() &&
            IsDigit(m_in[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        int digits = 0;
        while (m_pos < m_in.size() && IsDigit(m_in[m_pos])) {
            if (digits < 10)
                value = value * 10 + (m_in[m_pos] - '0');
            ++digits;
            ++m_pos;
            hasParam = true;
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos;
        value = std::clamp<std::int64_t>(negative ? -value : value, -2147483647 - 1, 2147483647);
        const bool groupStart = m_groupStart;
        m_groupStart = false;
        controlWord(word, hasParam, static_cast<int>(value), groupStart);
    }

    void controlSymbol(char c) {
        const bool groupStart = m_groupStart;
        m_groupStart = false;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            literal(static_cast<unsigned char>(c));
            break;
        case '\'': {
            const int hi = m_pos < m_in.size() ? HexValue(m_in[m_pos]) : -1;
            const int lo = m_pos + 1 < m_in.size() ? HexValue(m_in[m_pos + 1]) : -1;
            if (hi >= 0 && lo >= 0) {
                m_pos += 2;
                literal(static_cast<unsigned char>(hi * 16 + lo));
            } else if (hi >= 0) {
                ++m_pos; // a broken escape stands for nothing
            }
            break;
        }
        case '~':
            character(0x00A0);
            break;
        case '_':
            character(0x2011);
            break;
        case '-': // an optional hyphen is invisible
            break;
        case '*':
            if (groupStart)
                m_starPending = true;
            break;
        case '\r':
        case '\n':
            endParagraph();
            break;
        case '\t':
            character(L'\t');
            break;
        default:
            break;
        }
    }

    void controlWord(std::string_view w, bool hasParam, int n, bool groupStart) {
        const bool starred = m_starPending;
        m_starPending = false;
        GroupState& s = state();
        const int param = hasParam ? n : 1;
        const bool on = !hasParam || n != 0;

        // Destinations first: they decide what the group's text is.
        if (groupStart || starred) {
            if (w == "fonttbl") {
                s.dest = Dest::FontTable;
                m_fontNumber = -1;
                return;
            }
            if (w == "colortbl") {
                s.dest = Dest::ColorTable;
                m_color = {};
                return;
            }
            if (w == "pntext" || w == "listtext") {
                s.dest = s.dest == Dest::Text ? Dest::PnText : Dest::Skip;
                return;
            }
            if (w == "pn") {
                s.dest = s.dest == Dest::Text ? Dest::Pn : Dest::Skip;
                s.para.bullet = false;
                return;
            }
            if (w == "fldrslt" || w == "rtf")
                return; // a field's result is ordinary text
            if (starred || IsSkippedDestination(w)) {
                s.dest = Dest::Skip;
                return;
            }
        }

        if (w == "u") {
            int code = n;
            if (code < 0)
                code += 65536;
            unicode(static_cast<unsigned>(code) & 0xFFFF);
            m_ucSkip = s.uc;
            return;
        }
        if (w == "uc") {
            s.uc = std::clamp(n, 0, 16);
            return;
        }

        switch (s.dest) {
        case Dest::FontTable:
            if (w == "f")
                beginFontEntry(n);
            return;
        case Dest::ColorTable:
            if (w == "red")
                m_color.r = std::clamp(n, 0, 255), m_color.any = true;
            else if (w == "green")
                m_color.g = std::clamp(n, 0, 255), m_color.any = true;
            else if (w == "blue")
                m_color.b = std::clamp(n, 0, 255), m_color.any = true;
            return;
        case Dest::Pn:
            if (w == "pnlvlblt")
                s.para.bullet = true;
            return;
        case Dest::Skip:
            return;
        case Dest::Text:
        case Dest::PnText:
            break;
        }

        if (w == "deff") {
            m_defaultFont = n;
        } else if (w == "plain") {
            s.chr = defaultCharFormat();
        } else if (w == "b") {
            s.chr.bold = on;
        } else if (w == "i") {
            s.chr.italic = on;
        } else if (w == "ul" || w == "uld" || w == "uldb" || w == "ulw" || w == "ulth") {
            s.chr.underline = on;
        } else if (w == "ulnone") {
            s.chr.underline = false;
        } else if (w == "strike") {
            s.chr.strike = on;
        } else if (w == "fs") {
            s.chr.halfPoints = hasParam ? std::clamp(n, 2, 3276) : 24;
        } else if (w == "cf") {
            s.chr.color = colorAt(n);
        } else if (w == "f") {
            s.chr.face = fontAt(n);
        } else if (w == "pard") {
            s.para = RtfParaFormat{};
            s.listPara = false;
            m_paraBullet = false;
        } else if (w == "par") {
            endParagraph();
        } else if (w == "line") {
            character(0x2028);
        } else if (w == "tab") {
            character(L'\t');
        } else if (w == "bullet") {
            character(0x2022);
        } else if (w == "emdash") {
            character(0x2014);
        } else if (w == "endash") {
            character(0x2013);
        } else if (w == "lquote") {
            character(0x2018);
        } else if (w == "rquote") {
            character(0x2019);
        } else if (w == "ldblquote") {
            character(0x201C);
        } else if (w == "rdblquote") {
            character(0x201D);
        } else if (w == "emspace" || w == "enspace" || w == "qmspace") {
            character(L' ');
        } else if (w == "li") {
            s.para.leftIndent = clampTwips(param);
        } else if (w == "fi") {
            s.para.firstIndent = clampTwips(param);
        } else if (w == "ri") {
            s.para.rightIndent = clampTwips(param);
        } else if (w == "sb") {
            s.para.spaceBefore = clampTwips(param);
        } else if (w == "sa") {
            s.para.spaceAfter = clampTwips(param);
        } else if (w == "ql") {
            s.para.align = RtfAlign::Left;
        } else if (w == "qc") {
            s.para.align = RtfAlign::Center;
        } else if (w == "qr") {
            s.para.align = RtfAlign::Right;
        } else if (w == "qj") {
            s.para.align = RtfAlign::Justify;
        } else if (w == "ls") {
            // A list paragraph; the list table (skipped) would give its
            // style. Bullets are what documents of this kind use.
            s.listPara = true;
            s.para.bullet = true;
            m_paraBullet = true;
        }
    }

    static bool IsSkippedDestination(std::string_view w) {
        static constexpr std::string_view kSkipped[] = {
            "stylesheet",   "info",       "pict",      "object",
            "header",       "headerl",    "headerr",   "headerf",
            "footer",       "footerl",    "footerr",   "footerf",
            "footnote",     "fldinst",    "xe",        "tc",
            "txe",          "nonshppict", "comment",   "author",
            "operator",     "title",      "subject",   "keywords",
            "doccomm",      "company",    "creatim",   "revtim",
            "printim",      "buptim",     "listtable", "listoverridetable",
            "revtbl",       "rsidtbl",    "generator", "filetbl",
            "annotation",   "atnid",      "atnauthor", "bkmkstart",
            "bkmkend",      "template",   "themedata", "colorschememapping",
            "latentstyles", "datastore",  "xmlnstbl",  "mmathPr",
            "objdata",      "result",     "shp",       "sp"};
        return std::find(std::begin(kSkipped), std::end(kSkipped), w) != std::end(kSkipped);
    }

    static int clampTwips(int v) { return std::clamp(v, -31680, 31680); } // 22 inches

    RtfCharFormat defaultCharFormat() const {
        RtfCharFormat f;
        f.face = fontAt(m_defaultFont);
        return f;
    }

    std::wstring fontAt(int n) const {
        if (n < 0)
            return {};
        for (const auto& [number, name] : m_fontNames) {
            if (number == n)
                return name;
        }
        return {};
    }

    std::optional<COLORREF> colorAt(int n) const {
        if (n <= 0 || static_cast<size_t>(n) >= m_doc.colors.size())
            return std::nullopt;
        return m_doc.colors[static_cast<size_t>(n)];
    }

    // ---- font and colour tables ---------------------------------------------

    void beginFontEntry(int n) {
        endFontEntry();
        m_fontNumber = n;
        m_fontName.clear();
    }

    void endFontEntry() {
        if (m_fontNumber < 0)
            return;
        std::wstring name = m_fontName;
        while (!name.empty() && (name.back() == L' ' || name.back() == L';'))
            name.pop_back();
        while (!name.empty() && name.front() == L' ')
            name.erase(name.begin());
        if (m_fontNames.size() < kMaxFonts) {
            m_fontNames.emplace_back(m_fontNumber, name);
            if (m_fontNumber >= 0 && m_fontNumber < kMaxFonts) {
                if (m_doc.fonts.size() <= static_cast<size_t>(m_fontNumber))
                    m_doc.fonts.resize(static_cast<size_t>(m_fontNumber) + 1);
                m_doc.fonts[static_cast<size_t>(m_fontNumber)] = name;
            }
        }
        m_fontNumber = -1;
        m_fontName.clear();
    }

    void fontTableChar(wchar_t ch) {
        if (m_fontNumber < 0)
            return;
        if (ch == L';') {
            endFontEntry();
            return;
        }
        if (m_fontName.size() < 64)
            m_fontName += ch;
    }

    void colorTableChar(wchar_t ch) {
        if (ch != L';')
            return;
        if (m_doc.colors.size() < kMaxColors) {
            if (m_color.any)
                m_doc.colors.push_back(RGB(m_color.r, m_color.g, m_color.b));
            else
                m_doc.colors.push_back(std::nullopt);
        }
        m_color = {};
    }

    // ---- text -----------------------------------------------------------------

    void literal(unsigned char byte) {
        if (m_ucSkip > 0) {
            --m_ucSkip;
            return;
        }
        if (byte == '\t') {
            character(L'\t');
            return;
        }
        if (byte < 0x20)
            return;
        character(AnsiCharToWide(byte));
    }

    void unicode(unsigned code) {
        if (code >= 0xD800 && code < 0xDC00) {
            m_highSurrogate = code;
            return;
        }
        if (code >= 0xDC00 && code < 0xE000) {
            if (m_highSurrogate) {
                const unsigned full =
                    0x10000 + ((m_highSurrogate - 0xD800) << 10) + (code - 0xDC00);
                m_highSurrogate = 0;
                character(static_cast<wchar_t>(full));
            } else {
                character(0xFFFD);
            }
            return;
        }
        m_highSurrogate = 0;
        if (code == 0)
            return;
        character(static_cast<wchar_t>(code));
    }

    void character(wchar_t ch) {
        GroupState& s = state();
        switch (s.dest) {
        case Dest::FontTable:
            fontTableChar(ch);
            return;
        case Dest::ColorTable:
            colorTableChar(ch);
            return;
        case Dest::PnText:
            m_pnText += ch;
            return;
        case Dest::Skip:
        case Dest::Pn:
            return;
        case Dest::Text:
            break;
        }
        if (!m_pnText.empty()) {
            flushPnText();
        }
        m_paraFormat = s.para;
        m_paraFormat.bullet = m_paraFormat.bullet || m_paraBullet;
        appendText(std::wstring_view(&ch, 1));
    }

    // Text without a \f of its own is in the document's default font.
    void appendText(std::wstring_view text) {
        RtfCharFormat format = state().chr;
        if (format.face.empty())
            format.face = fontAt(m_defaultFont);
        auto& runs = m_current.runs;
        if (runs.empty() || !(runs.back().format == format))
            runs.push_back(RtfRun{std::wstring(), std::move(format)});
        runs.back().text += text;
    }

    // The fall-back text of a bullet or number: shown where the paragraph is
    // not known to be a bullet (numbered lists keep their numbers).
    void flushPnText() {
        std::wstring text;
        text.swap(m_pnText);
        const GroupState& s = state();
        if (s.para.bullet || m_paraBullet)
            return;
        appendText(text);
    }

    void endParagraph() {
        if (state().dest != Dest::Text)
            return;
        if (!m_pnText.empty())
            flushPnText();
        // Paragraph properties are those in force at its \par.
        m_current.format = state().para;
        m_current.format.bullet = m_current.format.bullet || m_paraBullet;
        m_doc.paragraphs.push_back(std::move(m_current));
        m_current = RtfParagraph{};
    }

    void finishDocument() {
        if (!m_pnText.empty() && !m_stack.empty())
            flushPnText();
        // Text after the last \par is a paragraph of its own; a document that
        // ends with \par does not get an empty one more.
        if (!m_current.runs.empty()) {
            m_current.format = m_paraFormat;
            m_doc.paragraphs.push_back(std::move(m_current));
        }
        if (m_doc.paragraphs.empty())
            m_doc.paragraphs.emplace_back();
    }

    std::string_view m_in;
    size_t m_pos = 0;
    std::vector<GroupState> m_stack;
    int m_flattened = 0;
    bool m_sawDocumentGroup = false;
    bool m_groupStart = false;
    bool m_starPending = false;
    int m_ucSkip = 0;
    unsigned m_highSurrogate = 0;

    int m_defaultFont = -1;
    std::vector<std::pair<int, std::wstring>> m_fontNames;
    int m_fontNumber = -1;
    std::wstring m_fontName;
    struct {
        int r = 0, g = 0, b = 0;
        bool any = false;
    } m_color;

    RtfDocument m_doc;
    RtfParagraph m_current;
    RtfParaFormat m_paraFormat;
    bool m_paraBullet = false; // a \pn or \ls seen since the last \pard
    std::wstring m_pnText;
};

} // namespace

std::wstring RtfParagraph::text() const {
    std::wstring out;
    for (const RtfRun& run : runs)
        out += run.text;
    return out;
}

std::wstring RtfDocument::text() const {
    std::wstring out;
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        if (i > 0)
            out += L'\r';
        out += paragraphs[i].text();
    }
    return out;
}

bool LooksLikeRtf(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[i])))
        ++i;
    return bytes.substr(i, 5) == "{\\rtf";
}

std::optional<RtfDocument> ParseRtf(std::string_view bytes) {
    if (!LooksLikeRtf(bytes))
        return std::nullopt;
    return Parser(bytes).run();
}

} // namespace zx
