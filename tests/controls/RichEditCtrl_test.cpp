// Rich-edit messages on a multi-line text: line numbers, positions and
// line texts agree with each other; RTF streams in with its formats; the
// find record reports matches; character formats colour inserted text.

#include "platform/Controls.h"
#include "platform/WindowHandles.h"
#include "platform/rc/zxres.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

struct Stream {
    std::string bytes;
    size_t at = 0;
    size_t chunk = 7; // small chunks: the control must join them
};

DWORD ReadChunk(DWORD_PTR cookie, BYTE* buffer, LONG size, LONG* got) {
    auto* s = reinterpret_cast<Stream*>(cookie);
    const size_t n = std::min({s->chunk, static_cast<size_t>(size), s->bytes.size() - s->at});
    std::memcpy(buffer, s->bytes.data() + s->at, n);
    s->at += n;
    *got = static_cast<LONG>(n);
    return 0;
}

struct RichFixture : ::testing::Test {
    std::unique_ptr<QTextEdit> edit = std::make_unique<QTextEdit>();
    HWND hwnd = zx::CreateWindowHandle(nullptr, nullptr);
    void SetUp() override {
        zx::AttachControl(hwnd, edit.get(), L"RichEdit20A",
                          WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL);
    }
    void TearDown() override { DestroyWindow(hwnd); }
    LRESULT send(UINT msg, WPARAM w = 0, LPARAM l = 0) { return SendMessageW(hwnd, msg, w, l); }

    std::wstring line(int n, int max = 200) {
        std::wstring buffer(static_cast<size_t>(max) + 1, L'\0');
        buffer[0] = static_cast<wchar_t>(max);
        const auto got =
            send(EM_GETLINE, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(buffer.data()));
        return buffer.substr(0, static_cast<size_t>(got));
    }
    std::wstring text() {
        std::wstring buffer(static_cast<size_t>(send(WM_GETTEXTLENGTH)) + 1, L'\0');
        const auto n = send(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
        return buffer.substr(0, static_cast<size_t>(n));
    }
    LRESULT streamIn(const std::string& bytes, WPARAM flags = 0x12) {
        Stream s{bytes};
        EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&s), 0, &ReadChunk};
        return send(EM_STREAMIN, flags, reinterpret_cast<LPARAM>(&es));
    }
};

TEST_F(RichFixture, LineOperationsAgreeWithEachOther) {
    send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"first\r\nsecond line\n\nfourth"));
    // WM_GETTEXT ends paragraphs in CR LF; positions count each end once.
    EXPECT_EQ(text(), L"first\r\nsecond line\r\n\r\nfourth");
    EXPECT_EQ(send(WM_GETTEXTLENGTH), 28);
    ASSERT_EQ(send(EM_GETLINECOUNT), 4);
    // Lines that end a paragraph end in '\r'; an empty line is just that.
    const int starts[] = {0, 6, 18, 19};
    const wchar_t* texts[] = {L"first\r", L"second line\r", L"\r", L"fourth"};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(send(EM_LINEINDEX, static_cast<WPARAM>(n)), starts[n]) << n;
        EXPECT_EQ(send(EM_LINEFROMCHAR, static_cast<WPARAM>(starts[n])), n) << n;
        EXPECT_EQ(send(EM_EXLINEFROMCHAR, 0, starts[n] + 0), n) << n;
        EXPECT_EQ(line(n), texts[n]) << n;
    }
    EXPECT_EQ(send(EM_LINEFROMCHAR, 17), 1); // the paragraph end belongs to its line
    EXPECT_EQ(send(EM_LINEINDEX, 4), -1);
    EXPECT_EQ(send(EM_LINEFROMCHAR, 999), 3);
    EXPECT_EQ(line(1, 6), L"second"); // the size in the buffer's first element limits the copy
    EXPECT_EQ(line(9), L"");
    EXPECT_EQ(send(EM_LINELENGTH, 7), 11);

    // The caret's line for -1.
    send(EM_SETSEL, 20, 20);
    EXPECT_EQ(send(EM_LINEINDEX, static_cast<WPARAM>(-1)), 19);
}

TEST_F(RichFixture, SelectionReplaceAndClear) {
    send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Hello world"));
    send(EM_SETSEL, 6, 11);
    DWORD start = 0, end = 0;
    send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 6u);
    EXPECT_EQ(end, 11u);
    send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"there\r\nagain"));
    EXPECT_EQ(text(), L"Hello there\r\nagain");
    EXPECT_EQ(send(EM_GETLINECOUNT), 2);

    // Everything, then nothing; read-only text cannot be cleared.
    CHARRANGE all{0, -1};
    EXPECT_EQ(send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all)), 17);
    send(EM_SETREADONLY, TRUE);
    EXPECT_TRUE(edit->isReadOnly());
    send(WM_CLEAR);
    EXPECT_EQ(send(WM_GETTEXTLENGTH), 18);
    send(EM_SETREADONLY, FALSE);
    send(WM_CLEAR);
    EXPECT_EQ(send(WM_GETTEXTLENGTH), 0);
    EXPECT_EQ(send(EM_GETLINECOUNT), 1);
}

TEST_F(RichFixture, FindTextReportsTheMatchRange) {
    send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"one Two three\r\ntwo"));
    FINDTEXTEXW find{{0, -1}, L"two", {0, 0}};
    EXPECT_EQ(send(EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find)), 4);
    EXPECT_EQ(find.chrgText.cpMin, 4);
    EXPECT_EQ(find.chrgText.cpMax, 7);
    EXPECT_EQ(send(EM_FINDTEXTEXW, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&find)), 14);
    find.chrg = {5, -1};
    EXPECT_EQ(send(EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find)), 14);
    find.chrg = {0, 10}; // the match must lie inside the range
    find.lpstrText = L"three";
    EXPECT_EQ(send(EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find)), -1);
    EXPECT_EQ(find.chrgText.cpMin, -1);
    EXPECT_EQ(find.chrgText.cpMax, -1);
    find.chrg = {0, -1};
    find.lpstrText = L"thre";
    EXPECT_EQ(send(EM_FINDTEXTEXW, FR_DOWN | FR_WHOLEWORD, reinterpret_cast<LPARAM>(&find)), -1);
    // Without FR_DOWN the search runs backwards from cpMin.
    find.chrg = {17, 0};
    find.lpstrText = L"two";
    EXPECT_EQ(send(EM_FINDTEXTEXW, 0, reinterpret_cast<LPARAM>(&find)), 14);
}

TEST_F(RichFixture, StreamedRtfKeepsTextColoursBoldAndBullets) {
    const std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Tahoma;}{\\f1\\fnil\\fcharset2 Symbol;}}\n"
        "{\\colortbl ;\\red192\\green0\\blue0;\\red0\\green112\\blue192;}\n"
        "\\pard\\b\\cf1\\fs28 Heading\\b0\\cf0\\par\n"
        "{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
        "\\fi-360\\li720\\fs20 <common1>\\par\n"
        "{\\pntext\\f1\\'B7\\tab}<common2> caf\\'e9 \\u8364?\\par\n"
        "\\pard\\cf2 plain {\\*\\unknown skipped} end}";
    EXPECT_GT(streamIn(rtf), 0);
    EXPECT_EQ(text(), L"Heading\r\n<common1>\r\n<common2> caf\u00e9 \u20ac\r\nplain  end");
    ASSERT_EQ(send(EM_GETLINECOUNT), 4);

    QTextDocument* doc = edit->document();
    const QTextBlock heading = doc->findBlockByNumber(0);
    const QTextCharFormat hf = heading.begin().fragment().charFormat();
    EXPECT_EQ(hf.fontWeight(), QFont::Bold);
    EXPECT_EQ(hf.foreground().color(), QColor(192, 0, 0));
    EXPECT_DOUBLE_EQ(hf.fontPointSize(), 14.0);
    EXPECT_EQ(heading.textList(), nullptr);
    // Both bullet paragraphs are items of one disc list.
    const QTextBlock b1 = doc->findBlockByNumber(1);
    const QTextBlock b2 = doc->findBlockByNumber(2);
    ASSERT_NE(b1.textList(), nullptr);
    EXPECT_EQ(b1.textList(), b2.textList());
    EXPECT_EQ(b1.textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_NE(b1.begin().fragment().charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(doc->findBlockByNumber(3).textList(), nullptr);
    EXPECT_EQ(doc->findBlockByNumber(3).begin().fragment().charFormat().foreground().color(),
              QColor(0, 112, 192));
    // The caret starts at the beginning, as after a fresh load.
    EXPECT_EQ(edit->textCursor().position(), 0);

    // Not RTF at all: shown as text.
    streamIn("plain\r\ntext", SF_RTF);
    EXPECT_EQ(text(), L"plain\r\ntext");
    // SFF_SELECTION replaces only the selection.
    send(EM_SETSEL, 0, 5);
    streamIn("{\\rtf1 {\\b bold}}", SF_RTF | SFF_SELECTION);
    EXPECT_EQ(text(), L"bold\r\ntext");
}

// A paragraph's format lives with its end: deleting whole paragraphs leaves
// the one that follows as it was (a heading after a removed bullet item
// does not become a bullet, an item after a removed heading stays one).
TEST_F(RichFixture, DeletingWholeParagraphsKeepsTheFollowingParagraphsFormat) {
    streamIn("{\\rtf1{\\*\\pn\\pnlvlblt}\\li720 <common1>\\par"
             "{\\*\\pn\\pnlvlblt}<common2>\\par\\pard\\b <target>\\b0\\par"
             "{\\*\\pn\\pnlvlblt}\\li720 <target1>\\par}");
    ASSERT_EQ(text(), L"<common1>\r\n<common2>\r\n<target>\r\n<target1>");
    QTextDocument* doc = edit->document();
    ASSERT_NE(doc->findBlockByNumber(1).textList(), nullptr);
    ASSERT_EQ(doc->findBlockByNumber(2).textList(), nullptr);

    // Remove "<common2>" with its paragraph end, as the features document does.
    send(EM_SETSEL, 10, 20);
    send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    EXPECT_EQ(text(), L"<common1>\r\n<target>\r\n<target1>");
    EXPECT_NE(doc->findBlockByNumber(0).textList(), nullptr);
    EXPECT_EQ(doc->findBlockByNumber(1).textList(), nullptr);
    EXPECT_DOUBLE_EQ(doc->findBlockByNumber(1).blockFormat().leftMargin(), 0.0);

    // Remove the heading: the item after it stays an item.
    send(EM_SETSEL, 10, 19);
    send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    EXPECT_EQ(text(), L"<common1>\r\n<target1>");
    EXPECT_NE(doc->findBlockByNumber(1).textList(), nullptr);

    // And the first paragraph, too.
    send(EM_SETSEL, 0, 10);
    send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    EXPECT_EQ(text(), L"<target1>");
    EXPECT_NE(doc->findBlockByNumber(0).textList(), nullptr);
}

TEST_F(RichFixture, TheCallbackEndsTheStreamWithItsError) {
    send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"old"));
    EDITSTREAM es{0, 0, [](DWORD_PTR, BYTE*, LONG, LONG* got) -> DWORD {
                      *got = 0;
                      return 5;
                  }};
    send(EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    EXPECT_EQ(es.dwError, 5u);
}

TEST_F(RichFixture, CharacterFormatOfAnEmptySelectionColoursTheNextInsertion) {
    CHARFORMAT2W def{};
    def.cbSize = sizeof def;
    def.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_CHARSET;
    def.yHeight = 200;
    wcscpy(def.szFaceName, L"Tahoma");
    EXPECT_TRUE(send(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&def)));
    CHARFORMAT2W got{};
    got.cbSize = sizeof got;
    send(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&got));
    EXPECT_EQ(got.yHeight, 200);
    EXPECT_EQ(got.crTextColor, 0u);
    EXPECT_STREQ(got.szFaceName, L"Tahoma");

    for (const auto& [line, colour] :
         {std::pair{L"green", RGB(0, 0x8C, 0)}, {L"red", RGB(0x80, 0, 0)}}) {
        CHARFORMAT2W cf = got;
        cf.dwMask = CFM_COLOR;
        cf.dwEffects = 0;
        cf.crTextColor = colour;
        const auto end = send(WM_GETTEXTLENGTH);
        send(EM_SETSEL, static_cast<WPARAM>(end), end);
        send(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>((std::wstring(line) + L"\n").c_str()));
        send(EM_LINESCROLL, 0, 1);
    }
    EXPECT_EQ(text(), L"green\r\nred\r\n");
    QTextCursor c(edit->document());
    c.setPosition(1);
    EXPECT_EQ(c.charFormat().foreground().color(), QColor(0, 0x8C, 0));
    c.setPosition(7);
    EXPECT_EQ(c.charFormat().foreground().color(), QColor(0x80, 0, 0));
    CHARFORMATW small{};
    small.cbSize = 3; // not a character format
    EXPECT_EQ(send(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&small)), 0);
}

} // namespace
