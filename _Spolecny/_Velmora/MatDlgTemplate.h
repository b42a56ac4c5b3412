#pragma once
// Templates of the catalog dialogs as tables: each control with its ID, kind, text, position
// and size in dialog units, and how it follows a growing window. The tables are the layout;
// the builder below turns them into Qt widgets in table order (which is the tab order).

#include "QyAcDialog.h"

#include <QRect>

#include <map>
#include <span>

enum class TemplateControl {
    Caption,     // static caption text
    Label,       // static text, left-aligned
    LabelRight,  // static text, right-aligned
    Check,       // auto check box
    Radio,       // auto radio button
    Edit,        // edit with automatic horizontal scrolling and a border
    ListView,    // the material list (report view, single selection, selection always shown)
    DropDown,    // drop-down list with a vertical scroll bar; the height is the open list's
    Button,      // push button
    DefaultButton,
    GroupBox,    // group box, with or without a text
    Frame,       // black frame (a placeholder)
};

struct TemplateControlSpec {
    int id;               // -1: a control without an ID
    TemplateControl kind;
    const char* text;     // UTF-8
    QRect du;             // left, top, width, height in dialog units
    unsigned anchors;     // ControlAnchor bits
};

// The closed height of a drop-down list, in dialog units: the template's height is that of
// the open list, which Qt draws as a popup of its own.
inline constexpr int kDropDownClosedHeight = 14;

// Creates `controls` in order on `dialog`. A control whose ID is in `premade` is
// that widget (the validated edits a dialog constructs itself) instead of a new one.
void BuildTemplate(CQyAcDialog& dialog, std::span<const TemplateControlSpec> controls,
                   const std::map<int, QWidget*>& premade = {});
