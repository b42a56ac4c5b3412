#pragma once
// Items, column descriptor, codes and the owner interface of the tree-list control. The
// numbers are those the dialogs pass: mask and format bits of the column descriptor, edit
// modes and options, input kind flags, get-next codes, extended style bits.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

class CTreeListCtrl;
class CCheckedEdit;

// One cell: a text kept by the control, or a text the owner gives on request (callback).
struct TreeListCell {
    QString text;
    bool callback = false;
};

// One row of the tree-list. Handles given out by the control are pointers to these; the
// control checks every handle it is given, so a stale one is harmless.
struct TreeListItem {
    TreeListItem* parent = nullptr;
    std::vector<std::unique_ptr<TreeListItem>> children;
    void* data = nullptr;
    std::vector<TreeListCell> cells; // by column; missing cells are empty texts
    int row = 0;                     // index among the parent's children
};

// Special handles: the root (parent of the top-level rows) and the insertion places, with
// the values the tree-view gives them (0xFFFF0000... sign-extended to pointer width).
inline TreeListItem* const TLI_ROOT = reinterpret_cast<TreeListItem*>(static_cast<std::intptr_t>(-0x10000));
inline TreeListItem* const TLI_FIRST = reinterpret_cast<TreeListItem*>(static_cast<std::intptr_t>(-0x0FFFF));
inline TreeListItem* const TLI_LAST = reinterpret_cast<TreeListItem*>(static_cast<std::intptr_t>(-0x0FFFE));

// Column descriptor, laid out as the list-view column structure.
struct TreeListColumn {
    unsigned mask = 0;
    int fmt = 0;
    int cx = 0;
    QString text;
    int cchTextMax = 0;
    int iSubItem = 0;
    int iImage = 0;
    int iOrder = 0;
};

// Mask bits of the column descriptor.
enum : unsigned {
    TLCF_FMT = 0x1,         // fmt gives the alignment (bits 0-1)
    TLCF_WIDTH = 0x2,       // fixed width cx in pixels
    TLCF_TEXT = 0x4,        // header text
    TLCF_WEIGHT = 0x8,      // without TLCF_WIDTH: cx is the proportional weight (1..255)
    TLCF_IMAGE = 0x10,      // iImage is given
    TLCF_MINWIDTH = 0x20,   // |iOrder| is the minimum width (else 16)
    TLCF_OPTION1 = 0x10000000u,
    TLCF_REMEMBER = 0x20000000u, // remember (fmt bit set) or forget (clear) the width
    TLCF_OPTION3 = 0x80000000u,
};

// Format bits of the column descriptor.
enum : int {
    TLFMT_LEFT = 0,
    TLFMT_RIGHT = 1,
    TLFMT_CENTER = 2,
    TLFMT_ALIGNMENT = 3,
    TLFMT_REMEMBER = 0x20000000,
};

// A width that stands for the remembered width (or the current one when none is remembered).
constexpr int TLCW_REMEMBERED = 0x44332211;
// At most this many columns.
constexpr int kTreeListMaxColumns = 32;

// Edit modes of a column.
enum : int {
    TLEM_NONE = 0,       // not editable
    TLEM_EDIT = 1,       // edit box (a CCheckedEdit)
    TLEM_COMBO = 2,      // editable drop-down offering the column's list
    TLEM_LIST = 3,       // drop-down list of the column's entries
};

// Edit options of a column.
enum : unsigned {
    TLEO_NO_TYPE_START = 0x10, // typing or pasting does not start an edit
    TLEO_CLICK_START = 0x40,   // a click on the cell starts an edit
};

// Input kind flags of edit-box cells (the first of 0x01..0x40 set decides the kind).
enum : unsigned {
    TLIK_NOCHECK = 0x01,
    TLIK_INTEGER = 0x02,
    TLIK_DECIMAL = 0x04,  // a typed comma becomes a point
    TLIK_WORD = 0x08,     // digits or letters
    TLIK_EMAIL = 0x10,
    TLIK_EMPTY = 0x20,    // empty text allowed, with one of the others
    TLIK_FILENAME = 0x40,
};

// Codes of GetNextItem.
enum : unsigned {
    TLGN_ROOT = 0,
    TLGN_NEXT = 1,
    TLGN_PREVIOUS = 2,
    TLGN_PARENT = 3,
    TLGN_CHILD = 4,
    TLGN_FIRSTVISIBLE = 5,
    TLGN_NEXTVISIBLE = 6,
    TLGN_PREVIOUSVISIBLE = 7,
    TLGN_CARET = 9,
    TLGN_LASTVISIBLE = 10,
    TLGN_CARETCOLUMN = 13, // the focused column: see CTreeListCtrl::GetSelectedColumn
};

// Extended style bits.
enum : unsigned {
    TLXS_GRIDLINES = 0x00010000,
    TLXS_OPTION2 = 0x00020000,
    TLXS_CELLSELECT = 0x00040000,   // selecting an item selects one of its columns too
    TLXS_ROWMARK = 0x00080000,      // the selected row is marked whole, not just its cell
    TLXS_OPTION4 = 0x40000000,
};

// Window style bits the dialogs pass.
enum : unsigned {
    TLS_HASBUTTONS = 0x1,
    TLS_HASLINES = 0x2,
    TLS_LINESATROOT = 0x4,
    TLS_EDITLABELS = 0x8,
    TLS_SHOWSELALWAYS = 0x20,
    TLS_FULLROWSELECT = 0x1000,
    TLS_BORDER = 0x00800000,
};

// A text request: the owner gives the text of a callback cell. `column` is -1 for the tree
// column, else the column index. `bufferSize` is the size in characters of the text buffer the
// platform's control offered, for owners that keep to it.
struct TreeListTextRequest {
    TreeListItem* item = nullptr;
    int column = -1;
    void* data = nullptr;
    int bufferSize = 259;
};

// A cell edit that is ending: the item, the column (-1 for the tree column), its data and the
// new text as read from the editor (for list editors the chosen entry).
struct TreeListEditInfo {
    TreeListItem* item = nullptr;
    int column = -1;
    void* data = nullptr;
    QString text;
};

// What the tree-list asks of its owner. Every call comes from the user-interface thread while
// the control's state is consistent, so the owner may call the control back.
class TreeListOwner {
public:
    // The text of a callback cell; false when there is none (the cell shows "????").
    virtual bool OnTreeListGetText(CTreeListCtrl& tree, const TreeListTextRequest& request, QString& text) = 0;
    // Before an edit-box edit ends: non-zero refuses the text and the editor stays open
    // (the owner usually shows a balloon on `editor` first).
    virtual int OnTreeListCheckCell(CTreeListCtrl& tree, CCheckedEdit& editor, const TreeListEditInfo& edit);
    // After the editor closed: non-zero drops the edit.
    virtual int OnTreeListEndEdit(CTreeListCtrl& tree, const TreeListEditInfo& edit);
    // The new text of a callback cell: the owner stores the value.
    virtual int OnTreeListSetText(CTreeListCtrl& tree, const TreeListEditInfo& edit);

protected:
    ~TreeListOwner() = default;
};
