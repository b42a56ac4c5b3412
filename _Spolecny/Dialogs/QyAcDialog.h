#pragma once
// The base of every dialog of the program. On top of QDialog it gives:
// - the header: a text across the top with a rule under it, placed by the screen's scale;
// - the header font (Arial 13 pt) and the bold caption font the dialogs give their captions;
// - a tooltip per control (first registration of an ID wins), at most 200 pixels wide;
// - the dialog icon and a minimum size equal to the size at opening;
// - controls registered under the numeric IDs of the design (objectName = the ID as text),
//   placed from template positions in dialog units and optionally following the window;
// - the hooks the dialogs override: OnInitDialog, OnOK, OnCancel, DoDataExchange, and
//   PreTranslateKey for keys that no control takes itself.
//
// Running: DoModal() runs OnInitDialog once and then exec(). Tests call show() instead
// (OnInitDialog runs before the first show) and drive the dialog with QTest events;
// EndDialog(code) closes it with that result either way.

#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <vector>

class QKeyEvent;

// How a control follows when the dialog grows beyond the size it had when the anchors were set.
enum ControlAnchor : unsigned {
    AnchorNone = 0,
    AnchorMoveX = 0x1,  // keeps its distance from the right edge
    AnchorMoveY = 0x2,  // keeps its distance from the bottom edge
    AnchorGrowX = 0x4,  // grows with the width
    AnchorGrowY = 0x8,  // grows with the height
    AnchorGrow = AnchorGrowX | AnchorGrowY,
};

// One balloon tooltip of the table.
struct ToolTipEntry {
    QString text;
    int maxWidth = 200; // pixels; 0 or less: no maximum
};

// Where the header is painted at a DPI scale: the rule runs from (x, ruleY) to
// (client width - x, ruleY); the text's top-left corner is (x, textTop).
struct HeaderGeometry {
    int x = 0;
    int ruleY = 0;
    int textTop = 0;
};
HeaderGeometry ComputeHeaderGeometry(float dpiScale);

class CQyAcDialog : public QDialog {
    Q_OBJECT

public:
    // `headerText` empty: no header and no rule. `iconResourceId` 0: no icon (ProgramIcons.h).
    CQyAcDialog(int templateId, QWidget* parent, const QString& headerText, int iconResourceId);
    ~CQyAcDialog() override;

    // Runs OnInitDialog (once) and the dialog modally. Returns the code given to EndDialog,
    // IDCANCEL after Escape or the close box, -1 when the opening failed.
    int DoModal();
    // Closes the dialog with `result` (modal or not).
    void EndDialog(int result);
    // Runs OnInitDialog unless it already ran; false when it raised. show() calls it too.
    bool EnsureInitialized();
    bool IsInitialized() const { return m_initialized; }
    int TemplateId() const { return m_templateId; }

    // --- Controls ---------------------------------------------------------------------
    // Registers `control` under `id` (a child of the dialog, objectName = the ID as text) and
    // places it at `dialogUnits` (template position: left, top, width, height). An ID of -1
    // only places the control (static texts and frames without an ID). Buttons 1 and 2
    // (IDOK, IDCANCEL) run OnOK and OnCancel when clicked. Returns `control`.
    template <class Control>
    Control* AddControl(int id, const QRect& dialogUnits, Control* control, unsigned anchors = AnchorNone)
    {
        AddControlWidget(id, dialogUnits, control, anchors);
        return control;
    }
    // Registers a control that is already placed.
    void RegisterControl(int id, QWidget* control);
    // The control registered under `id`, or null.
    QWidget* GetDlgItem(int id) const;
    template <class Control>
    Control* GetDlgItemAs(int id) const { return qobject_cast<Control*>(GetDlgItem(id)); }
    // The ID a control is registered under, or -1.
    int GetDlgCtrlID(const QWidget* control) const;
    // Runs `handler` (guarded) whenever the button `id` is clicked; false when `id` is no button.
    bool OnClicked(int id, std::function<void()> handler);

    // Dialog units of the dialog font to pixels: x and width times the average character
    // width / 4, y and height times the character height / 8 (rounded).
    QRect MapDialogRect(const QRect& dialogUnits) const;
    QSize DialogBaseUnits() const; // average character width and height of the dialog font
    // Sizes the dialog's client area from the template size in dialog units.
    void SetTemplateSize(int widthUnits, int heightUnits);
    // How `control` follows the window from now on; its present geometry is its base.
    void SetControlAnchors(QWidget* control, unsigned anchors);
    unsigned ControlAnchors(const QWidget* control) const;

    // --- Look ---------------------------------------------------------------------------
    const QString& HeaderText() const { return m_headerText; }
    const QFont& HeaderFont() const { return m_headerFont; }
    const QFont& CaptionFont() const { return m_captionFont; }
    // The colour of captions and of the header text (the platform's hot-light colour).
    static QColor HotLightColor();
    // The font controls are laid out with: the application's family at 8 points.
    static QFont DialogFont();
    // Gives `control` disabled text colours that still read (5.5:1 against its disabled
    // background, where a platform's grey is near 2:1), lighter than its enabled text.
    static void MakeReadableWhenDisabled(QWidget* control);
    // The contrast ratio of two colours as WCAG defines it (1 to 21).
    static double ContrastRatio(const QColor& a, const QColor& b);
    // The DPI scale computed at the last repaint (1.0 before the first).
    float DpiScale() const { return m_dpiScale; }
    // Fixes the scale instead of asking the screen (tests); 0 asks the screen again.
    void SetDpiScaleOverride(float scale);
    // The size recorded at opening; the dialog cannot be made smaller (0 x 0 before).
    QSize RecordedMinimumSize() const { return m_minimumSize; }

    // --- Tooltips -----------------------------------------------------------------------
    // Registers the tooltip of control `id` (maximum width 200 pixels). An ID that already has
    // one keeps it and `text` is dropped. Returns the entry in force for that ID. Tooltips are
    // put on their controls when the dialog opens; controls that do not exist are skipped.
    const ToolTipEntry& AddToolTip(int id, const QString& text);
    const std::map<int, ToolTipEntry>& ToolTips() const { return m_toolTips; }
    // The rich text put on a control for a tooltip entry (exposed for tests).
    static QString ToolTipMarkup(const ToolTipEntry& entry);

    // --- Icons --------------------------------------------------------------------------
    // Shows the program icon `iconResourceId` at 24 x 24 on button `controlId` in place of its
    // text (the text stays as the accessible name). False when there is no such button or icon.
    bool SetButtonIcon(int controlId, int iconResourceId);

    // --- Data exchange ------------------------------------------------------------------
    // Runs DoDataExchange: true = controls into members (with checks), false = members into
    // controls. Returns false when a check failed (the user has been told, focus is on the
    // control at fault).
    bool UpdateData(bool saveAndValidate = true);

    // QDialog's entries, routed to the hooks: showing runs OnInitDialog first, accept() runs
    // OnOK and reject() (Escape, close box) runs OnCancel.
    void setVisible(bool visible) override;
    void accept() override;
    void reject() override;

protected:
    // Called once before the dialog is first shown. The base exchanges data into the
    // controls, puts the tooltips on, sets the icon and records the minimum size; derived
    // dialogs call it first. The result is kept for compatibility (true: default focus).
    virtual bool OnInitDialog();
    // OK button, Enter without a default button: the base exchanges and closes with IDOK.
    virtual void OnOK();
    // Cancel button, Escape, close box: the base closes with IDCANCEL.
    virtual void OnCancel();
    // Exchanges members and controls with the DDX_/DDV_ helpers below.
    virtual void DoDataExchange(bool saveAndValidate);
    // Keys that the focused control did not take (Enter and Escape in edits, for example),
    // before the dialog's own handling. Return true when handled.
    virtual bool PreTranslateKey(QKeyEvent* event);

    // Exchange helpers; each does nothing once the exchange has failed.
    void DDX_Text(bool save, int id, QString& value);
    void DDX_Text(bool save, int id, std::u16string& value);
    void DDX_Check(bool save, int id, bool& value);
    // Radio group firstId..lastId with the index of the checked button (-1: none).
    void DDX_Radio(bool save, int firstId, int lastId, int& value);
    // Selection index of a combo box (-1: none).
    void DDX_CBIndex(bool save, int id, int& index);
    // Saving: refuses a text longer than `maxChars` with the standard message; loading:
    // limits typing in the edit to `maxChars` characters.
    void DDV_MaxChars(bool save, int id, const QString& value, int maxChars);
    void DDV_MaxChars(bool save, int id, const std::u16string& value, int maxChars);
    // The standard message for a text longer than `maxChars` characters.
    static QString TooLongTextMessage(int maxChars);
    // Ends the exchange as failed: shows `message`, moves the focus to control `focusId`.
    void FailExchange(int focusId, const QString& message);
    bool ExchangeFailed() const { return m_exchangeFailed; }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Tab and Shift+Tab: a radio group is one stop, entered at its checked button.
    bool focusNextPrevChild(bool next) override;

private:
    struct Anchored {
        QPointer<QWidget> control;
        QRect base;
        QSize dialogSize;
        unsigned anchors = AnchorNone;
    };

    void AddControlWidget(int id, const QRect& dialogUnits, QWidget* control, unsigned anchors);
    void ApplyToolTips();
    void ApplyAccessibleTexts();
    void RelayoutAnchored();
    float QueryDpiScale() const;
    bool HasVisibleDefaultButton() const;

    int m_templateId;
    std::map<int, ToolTipEntry> m_toolTips;
    QFont m_captionFont;
    QFont m_headerFont;
    QString m_headerText;
    int m_iconResourceId;
    QIcon m_icon;
    QSize m_minimumSize{0, 0};
    float m_dpiScale = 1.0f;
    float m_dpiScaleOverride = 0.0f;
    std::map<int, QPointer<QWidget>> m_controls;
    std::vector<Anchored> m_anchored;
    bool m_initialized = false;
    bool m_initFailed = false;
    bool m_exchangeFailed = false;
};
