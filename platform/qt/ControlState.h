#pragma once
// The state the window procedures of the standard controls keep for each
// control window, and what the controls' files share (internal to the window
// system). Each control's own state and procedure live in its own file:
// ButtonControl, StaticControl, EditControl and RichEditControl, ComboControl,
// ListControl, ProgressControl, UpDownControl, TrackbarControl,
// ListViewControl, TreeViewControl; Controls.cpp dispatches to them.

#include "platform/ComboList.h"
#include "platform/CommonControls.h"
#include "platform/GdiObjects.h"
#include "platform/Messages.h"
#include "platform/WindowMessages.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTextCharFormat>
#include <QWidget>

#include <optional>
#include <string>

namespace zx {

enum class ControlKind {
    Button,
    Static,
    Edit,
    RichEdit,
    Combo,
    List,
    Progress,
    UpDown,
    Trackbar,
    ListView,
    TreeView,
    Other
};

// Buttons that do not check themselves (BS_CHECKBOX, BS_RADIOBUTTON) show the
// mark their owner set, whatever the user clicks.
struct ButtonState {
    int manualCheck = BST_UNCHECKED;
};

struct ProgressState {
    int low = 0;
    int high = 100;
    int pos = 0;
    int step = 10;
    COLORREF color = 0xFF000000u; // CLR_DEFAULT
};

struct RichEditState {
    DWORD eventMask = 0;
    CHARFORMAT2W defaultFormat{};
    // The format set on an empty selection, used by the next insertion there.
    std::optional<QTextCharFormat> insertFormat;
    int insertPos = -1;
};

// What the user may type into an edit (EM_SETLIMITTEXT): Windows' limit
// applies to typing only, never to WM_SETTEXT, and counts a line break of a
// multi-line edit as its two characters.
struct EditState {
    DWORD limit = 30000; // Windows' default
    bool settingText = false;
    // Taking back what went past the limit; the change it undoes is not one.
    bool rejecting = false;
    bool swallowChange = false;
    qsizetype lineLength = 0; // a single-line edit's text as last changed
};

struct ControlState : QObject {
    HWND hwnd = nullptr;
    QPointer<QWidget> widget;
    ControlKind kind = ControlKind::Other;
    DWORD style = 0;
    WNDPROC previous = nullptr;
    HFONT font = nullptr;
    std::optional<QString> originalText; // a static's text with its '&'s
    HBITMAP bitmap = nullptr;            // a picture static's, as its owner set it

    ButtonState button;
    ComboList combo;
    ComboList list; // a list box's items
    ProgressState progress;
    RichEditState rich;
    EditState edit;
    UpDownState upDown;
    TrackbarState trackbar;
    ListViewState listView;
    TreeViewState treeView;

    ~ControlState() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The state of an attached control window; null for any other window.
ControlState* StateOf(HWND hwnd);

// WM_COMMAND (MAKEWPARAM(id, code), the control's handle) to the nearest
// window up the widget tree.
void NotifyParent(ControlState& s, int code);

// Texts as the controls take and give them.
QString FromWide(const wchar_t* text);
// Windows shows "&x" as an underlined x and "&&" as '&'; labels do not read
// mnemonics in Qt.
QString WithoutMnemonics(const QString& in);
// Every CR LF, lone CR or lone LF becomes one paragraph break.
QString NormaliseBreaks(const QString& in);
// WM_GETTEXT's copy: at most capacity - 1 characters and a terminating zero.
LRESULT CopyOut(const std::wstring& text, WPARAM capacity, LPARAM buffer);

// Each control's messages; `handled` false passes the message on to the
// messages every control answers (text, font) and then to the procedure the
// handle had before.
LRESULT ButtonProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
LRESULT ComboProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
LRESULT ListProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
LRESULT ProgressProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
LRESULT StaticProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
// Single- and multi-line edits and rich edits.
LRESULT EditProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
LRESULT RichEditProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
LRESULT UpDownProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
LRESULT TrackbarProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
LRESULT ListViewProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
LRESULT TreeViewProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);

// A combo box's widget: CBS_SIMPLE shows its list below the edit field at
// all times, the field editHeight pixels high.
QWidget* MakeComboBox(DWORD style, int editHeight, QWidget* parent);

// A control's state taken from its widget when it is attached, and the
// widget's signals connected to the notifications the control sends.
void AttachButton(ControlState& s);
void AttachCombo(ControlState& s);
void AttachList(ControlState& s);
void AttachProgress(ControlState& s);
void AttachEdit(ControlState& s);
void AttachRichEdit(ControlState& s);
void AttachStatic(ControlState& s);
void AttachUpDown(ControlState& s);
void AttachTrackbar(ControlState& s);
void AttachListView(ControlState& s);
void AttachTreeView(ControlState& s);

// The text of a multi-line edit or rich edit as WM_GETTEXT gives it, and
// WM_SETTEXT for them; false when the widget is no text box.
bool TextBoxText(ControlState& s, std::wstring& text);
bool SetTextBoxText(ControlState& s, const QString& text);

} // namespace zx
