#include "QyAcDialog.h"

#include "ProgramIcons.h"
#include "QtGuard.h"
#include "WindowServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

// Rounded a * b / c, as the platform's dialog-unit conversion computes it.
int MulDiv(int a, int b, int c)
{
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

// The header font's height in pixels: 13 points at the primary screen's logical DPI.
int HeaderPixelHeight()
{
    double dpi = 96.0;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        if (screen->logicalDotsPerInchY() > 0) dpi = screen->logicalDotsPerInchY();
    }
    return MulDiv(130, static_cast<int>(std::lround(dpi)), 720);
}

// Whether a label names `control` (its buddy), as Qt's accessibility reads it.
bool HasBuddyLabel(const QWidget* control)
{
    const QWidget* parent = control->parentWidget();
    if (!parent) return false;
    const auto labels = parent->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    return std::any_of(labels.begin(), labels.end(), [control](const QLabel* l) { return l->buddy() == control; });
}

// The exclusive button group of a radio button, or null.
QButtonGroup* RadioGroupOf(const QWidget* widget)
{
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    QButtonGroup* group = button ? button->group() : nullptr;
    return group && group->exclusive() ? group : nullptr;
}

} // namespace

HeaderGeometry ComputeHeaderGeometry(float dpiScale)
{
    HeaderGeometry g;
    g.x = static_cast<int>(18.0f * dpiScale);
    g.ruleY = static_cast<int>(45.0f * dpiScale);
    g.textTop = 4 * g.ruleY / 10;
    return g;
}

CQyAcDialog::CQyAcDialog(int templateId, QWidget* parent, const QString& headerText, int iconResourceId)
    : QDialog(parent), m_templateId(templateId), m_headerText(headerText), m_iconResourceId(iconResourceId)
{
    setFont(DialogFont());

    const int headerPixels = HeaderPixelHeight();
    m_headerFont = QFont(QStringLiteral("Arial"));
    m_headerFont.setStyleHint(QFont::SansSerif);
    m_headerFont.setPixelSize(headerPixels);
    m_captionFont = m_headerFont;
    m_captionFont.setBold(true);
    m_captionFont.setPixelSize(std::max(1, static_cast<int>(headerPixels * 0.76)));

    if (m_iconResourceId != 0) m_icon = LoadProgramIcon(m_iconResourceId);
}

CQyAcDialog::~CQyAcDialog() = default;

QFont CQyAcDialog::DialogFont()
{
    QFont font = QApplication::font();
    font.setPointSize(8);
    return font;
}

QColor CQyAcDialog::HotLightColor()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Link);
}

double CQyAcDialog::ContrastRatio(const QColor& a, const QColor& b)
{
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void CQyAcDialog::MakeReadableWhenDisabled(QWidget* control)
{
    if (!control) return;
    QPalette p = control->palette();
    const std::pair<QPalette::ColorRole, QPalette::ColorRole> roles[] = {
        {QPalette::Text, QPalette::Base}, {QPalette::WindowText, QPalette::Window}, {QPalette::ButtonText, QPalette::Button}};
    for (const auto& [text, background] : roles) {
        const QColor enabled = p.color(QPalette::Active, text);
        const QColor behind = p.color(QPalette::Disabled, background);
        // The enabled colour moved towards the background as far as the contrast allows.
        QColor chosen = enabled;
        for (int step = 12; step > 0; --step) {
            const double t = step * 0.05;
            const QColor mixed = QColor::fromRgbF(static_cast<float>(enabled.redF() + (behind.redF() - enabled.redF()) * t),
                                                  static_cast<float>(enabled.greenF() + (behind.greenF() - enabled.greenF()) * t),
                                                  static_cast<float>(enabled.blueF() + (behind.blueF() - enabled.blueF()) * t));
            // 4.5:1 is the least for text; the margin keeps thin anti-aliased strokes above it.
            if (ContrastRatio(mixed, behind) >= 5.5) {
                chosen = mixed;
                break;
            }
        }
        p.setColor(QPalette::Disabled, text, chosen);
    }
    control->setPalette(p);
}

int CQyAcDialog::DoModal()
{
    if (!EnsureInitialized()) return -1;
    return exec();
}

void CQyAcDialog::EndDialog(int result)
{
    done(result);
}

bool CQyAcDialog::EnsureInitialized()
{
    if (m_initialized) return !m_initFailed;
    m_initialized = true;
    m_initFailed = !Guarded([this] { OnInitDialog(); });
    return !m_initFailed;
}

void CQyAcDialog::setVisible(bool visible)
{
    if (visible && !m_initialized) EnsureInitialized();
    QDialog::setVisible(visible);
}

bool CQyAcDialog::OnInitDialog()
{
    UpdateData(false);
    ApplyToolTips();
    ApplyAccessibleTexts();
    if (!m_icon.isNull()) setWindowIcon(m_icon);
    if (!testAttribute(Qt::WA_Resized)) adjustSize();
    m_minimumSize = size();
    setMinimumSize(m_minimumSize);
    return true;
}

void CQyAcDialog::OnOK()
{
    if (UpdateData(true)) EndDialog(IDOK);
}

void CQyAcDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CQyAcDialog::DoDataExchange(bool)
{
}

bool CQyAcDialog::PreTranslateKey(QKeyEvent*)
{
    return false;
}

void CQyAcDialog::accept()
{
    Guarded([this] { OnOK(); });
}

void CQyAcDialog::reject()
{
    Guarded([this] { OnCancel(); });
}

bool CQyAcDialog::HasVisibleDefaultButton() const
{
    const auto buttons = findChildren<QPushButton*>();
    for (const QPushButton* button : buttons) {
        if (button->window() == this && button->isVisible() && (button->isDefault() || (button->autoDefault() && button->hasFocus())))
            return true;
    }
    return false;
}

void CQyAcDialog::keyPressEvent(QKeyEvent* event)
{
    bool handled = false;
    Guarded([&] { handled = PreTranslateKey(event); });
    if (handled) {
        event->accept();
        return;
    }
    const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                       (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) && mods == Qt::ControlModifier) {
        // Ctrl+Tab moves on as Tab does, out of controls that keep Tab for themselves too.
        event->accept();
        focusNextPrevChild(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
        return;
    }
    if (enter && !HasVisibleDefaultButton()) {
        // Without a default button Enter still means OK, as in every dialog of the program.
        event->accept();
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CQyAcDialog::focusNextPrevChild(bool next)
{
    QWidget* from = focusWidget();
    QButtonGroup* fromGroup = RadioGroupOf(from);
    // Walk on past the other buttons of the group the focus leaves.
    for (int step = 0; step < 256; ++step) {
        if (!QDialog::focusNextPrevChild(next)) return false;
        QWidget* to = focusWidget();
        QButtonGroup* group = RadioGroupOf(to);
        if (to == from || !group || group != fromGroup) {
            QAbstractButton* checked = group && group != fromGroup ? group->checkedButton() : nullptr;
            if (checked && checked != to && checked->isEnabled() && checked->isVisibleTo(this))
                checked->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return true;
}

// --- Controls --------------------------------------------------------------------------------

void CQyAcDialog::AddControlWidget(int id, const QRect& dialogUnits, QWidget* control, unsigned anchors)
{
    if (!control) return;
    if (control->parentWidget() != this) control->setParent(this);
    control->setGeometry(MapDialogRect(dialogUnits));
    if (id != -1) RegisterControl(id, control);
    if (anchors != AnchorNone) SetControlAnchors(control, anchors);
    control->show();
}

void CQyAcDialog::RegisterControl(int id, QWidget* control)
{
    if (!control) return;
    control->setObjectName(QString::number(id));
    m_controls[id] = control;
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        if (id == IDOK) connect(button, &QAbstractButton::clicked, this, [this] { accept(); });
        if (id == IDCANCEL) connect(button, &QAbstractButton::clicked, this, [this] { reject(); });
    }
}

QWidget* CQyAcDialog::GetDlgItem(int id) const
{
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second.data();
}

int CQyAcDialog::GetDlgCtrlID(const QWidget* control) const
{
    for (const auto& [id, widget] : m_controls) {
        if (widget && widget.data() == control) return id;
    }
    return -1;
}

bool CQyAcDialog::OnClicked(int id, std::function<void()> handler)
{
    auto* button = GetDlgItemAs<QAbstractButton>(id);
    if (!button || !handler) return false;
    connect(button, &QAbstractButton::clicked, this, [handler = std::move(handler)] { Guarded(handler); });
    return true;
}

QSize CQyAcDialog::DialogBaseUnits() const
{
    const QFontMetrics metrics(font());
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((alphabet / 26 + 1) / 2, metrics.height());
}

QRect CQyAcDialog::MapDialogRect(const QRect& dialogUnits) const
{
    const QSize base = DialogBaseUnits();
    return QRect(MulDiv(dialogUnits.x(), base.width(), 4), MulDiv(dialogUnits.y(), base.height(), 8),
                 MulDiv(dialogUnits.width(), base.width(), 4), MulDiv(dialogUnits.height(), base.height(), 8));
}

void CQyAcDialog::SetTemplateSize(int widthUnits, int heightUnits)
{
    resize(MapDialogRect(QRect(0, 0, widthUnits, heightUnits)).size());
}

void CQyAcDialog::SetControlAnchors(QWidget* control, unsigned anchors)
{
    if (!control) return;
    for (auto it = m_anchored.begin(); it != m_anchored.end(); ++it) {
        if (it->control == control) {
            m_anchored.erase(it);
            break;
        }
    }
    if (anchors != AnchorNone) m_anchored.push_back({control, control->geometry(), size(), anchors});
}

unsigned CQyAcDialog::ControlAnchors(const QWidget* control) const
{
    for (const Anchored& a : m_anchored) {
        if (a.control == control) return a.anchors;
    }
    return AnchorNone;
}

void CQyAcDialog::RelayoutAnchored()
{
    for (const Anchored& a : m_anchored) {
        if (!a.control) continue;
        const int dx = width() - a.dialogSize.width();
        const int dy = height() - a.dialogSize.height();
        QRect r = a.base;
        if (a.anchors & AnchorMoveX) r.translate(dx, 0);
        if (a.anchors & AnchorMoveY) r.translate(0, dy);
        if (a.anchors & AnchorGrowX) r.setWidth(std::max(0, r.width() + dx));
        if (a.anchors & AnchorGrowY) r.setHeight(std::max(0, r.height() + dy));
        a.control->setGeometry(r);
    }
}

void CQyAcDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    RelayoutAnchored();
}

// --- Look --------------------------------------------------------------------------------------

void CQyAcDialog::SetDpiScaleOverride(float scale)
{
    m_dpiScaleOverride = scale > 0.0f ? scale : 0.0f;
    update();
}

float CQyAcDialog::QueryDpiScale() const
{
    if (m_dpiScaleOverride > 0.0f) return m_dpiScaleOverride;
    // Qt already works in device-independent pixels; a logical DPI above 96 is the part of
    // the screen's scale that Qt leaves to the program (fonts grow, so must the header).
    const QScreen* s = screen();
    if (!s) return 1.0f;
    const qreal dpi = s->logicalDotsPerInchX();
    return dpi > 0 ? static_cast<float>(dpi / 96.0) : 1.0f;
}

void CQyAcDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    if (m_headerText.isEmpty()) return;

    m_dpiScale = QueryDpiScale();
    const HeaderGeometry g = ComputeHeaderGeometry(m_dpiScale);

    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    // The rule's right end is exclusive, as a line drawn by the platform.
    painter.drawLine(g.x, g.ruleY, width() - g.x - 1, g.ruleY);

    painter.setFont(m_headerFont);
    painter.setPen(HotLightColor());
    const QRect textRect(g.x, g.textTop, std::max(0, width() - 2 * g.x), g.ruleY - g.textTop);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_headerText);
}

// --- Tooltips --------------------------------------------------------------------------------

const ToolTipEntry& CQyAcDialog::AddToolTip(int id, const QString& text)
{
    auto [it, inserted] = m_toolTips.try_emplace(id, ToolTipEntry{text, 200});
    if (inserted && m_initialized) {
        if (QWidget* control = GetDlgItem(id)) control->setToolTip(ToolTipMarkup(it->second));
    }
    return it->second;
}

QString CQyAcDialog::ToolTipMarkup(const ToolTipEntry& entry)
{
    const QStringList lines = entry.text.split(QLatin1Char('\n'));
    QStringList escaped;
    int widest = 0;
    const QFontMetrics metrics(QToolTip::font());
    for (const QString& line : lines) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
        escaped << line.toHtmlEscaped();
    }
    const QString body = escaped.join(QStringLiteral("<br>"));
    if (entry.maxWidth > 0 && widest > entry.maxWidth) {
        // A table of fixed width makes the tooltip wrap its words at that width.
        return QStringLiteral("<table width=\"%1\"><tr><td>%2</td></tr></table>").arg(entry.maxWidth).arg(body);
    }
    return QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(body);
}

void CQyAcDialog::ApplyToolTips()
{
    for (const auto& [id, entry] : m_toolTips) {
        if (QWidget* control = GetDlgItem(id)) control->setToolTip(ToolTipMarkup(entry));
    }
}

void CQyAcDialog::ApplyAccessibleTexts()
{
    // A screen reader reads a control's label (its buddy) or its own text as its name, and its
    // tooltip as its description; a control with neither is named by its tooltip.
    for (const auto& [id, control] : m_controls) {
        if (!control) continue;
        const auto tip = m_toolTips.find(id);
        const QString tipText = tip == m_toolTips.end() ? QString() : tip->second.text;
        if (control->accessibleDescription().isEmpty() && !tipText.isEmpty()) control->setAccessibleDescription(tipText);
        if (!control->accessibleName().isEmpty()) continue;
        if (auto* button = qobject_cast<QAbstractButton*>(control.data()); button && !button->text().isEmpty()) continue;
        if (HasBuddyLabel(control)) continue;
        if (!tipText.isEmpty()) control->setAccessibleName(tipText);
    }
}

// --- Icons ---------------------------------------------------------------------------------------

bool CQyAcDialog::SetButtonIcon(int controlId, int iconResourceId)
{
    auto* button = GetDlgItemAs<QAbstractButton>(controlId);
    const QIcon icon = LoadProgramIcon(iconResourceId);
    if (!button || icon.isNull()) return false;
    if (button->accessibleName().isEmpty()) button->setAccessibleName(button->text());
    button->setText(QString());
    button->setIcon(icon);
    button->setIconSize(QSize(24, 24));
    return true;
}
