#pragma once
// RtfReader: the subset of the Rich Text Format that rich-edit controls are
// fed with (documents written by WordPad, Word and rich-edit controls
// themselves), read into a plain model of paragraphs and formatted runs.
//
// Read: \rtf1, the font and colour tables, \b \i \ul \strike \fs \cf \f
// \plain, \par \pard \li \fi \ri \sb \sa \ql \qc \qr \qj, \tab \line \bullet
// and the other special characters, \'hh escapes (Windows-1252), \u with its
// \uc fall-back count, bullets given as {\*\pn...\pnlvlblt} or as list
// paragraphs (\ls). The fall-back texts \pntext and \listtext are dropped
// where the paragraph is known to be a bullet and kept otherwise (a numbered
// list keeps its numbers). Every other destination ({\*\...}, pictures,
// objects, headers, style sheets, fields' instructions) is skipped.
//
// Damaged input never fails harder than giving less text: unbalanced braces,
// truncated control words and absurd parameters are tolerated; the nesting
// depth is bounded.

#include "platform/WinTypes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

struct RtfCharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int halfPoints = 24;           // \fs: 12 points unless told
    std::optional<COLORREF> color; // none: the automatic (window text) colour
    std::wstring face;             // empty: the reader's default font
    int charset = 0;

    bool operator==(const RtfCharFormat&) const = default;
};

enum class RtfAlign { Left, Center, Right, Justify };

struct RtfParaFormat {
    int leftIndent = 0;  // twips
    int firstIndent = 0; // twips, relative to leftIndent (negative: hanging)
    int rightIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    RtfAlign align = RtfAlign::Left;
    bool bullet = false;

    bool operator==(const RtfParaFormat&) const = default;
};

struct RtfRun {
    std::wstring text; // may hold '\t' and U+2028 (a line break inside the paragraph)
    RtfCharFormat format;
};

struct RtfParagraph {
    RtfParaFormat format;
    std::vector<RtfRun> runs;

    std::wstring text() const;
};

struct RtfDocument {
    std::vector<RtfParagraph> paragraphs; // at least one
    std::vector<std::wstring> fonts;      // by font number, as far as declared
    std::vector<std::optional<COLORREF>> colors;

    // The text with one '\r' between paragraphs, as rich-edit positions count it.
    std::wstring text() const;
};

// True when the bytes begin (after white space) with "{\rtf".
bool LooksLikeRtf(std::string_view bytes);

// Reads an RTF document; nothing when the bytes are not RTF at all.
std::optional<RtfDocument> ParseRtf(std::string_view bytes);

} // namespace zx
