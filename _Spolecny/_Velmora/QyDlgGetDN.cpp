#include "QyDlgGetDN.h"

#include "PipeTables.h"
#include "WindowServices.h"

#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

namespace {

constexpr int kIdCaption = 11046;
constexpr int kIdComboFrom = 11057;
constexpr int kIdComboTo = 11045;

} // namespace

CQyDlgGetDN::CQyDlgGetDN(QWidget* parent)
    : CQyAcDialog(IDD, parent, QString(), 0)
{
    setWindowTitle(QStringLiteral("Výběr rozsahu DN"));
    SetTemplateSize(163, 64);

    // Positions in dialog units; the buttons stand in a column at the right, as in the
    // platform's small dialogs. Creation order is the tab order.
    AddControl(kIdCaption, QRect(7, 7, 92, 12), new QLabel(QStringLiteral("Vyber rozsah DN")));
    AddControl(-1, QRect(7, 27, 30, 8), new QLabel(QStringLiteral("od DN")));
    m_comboFrom = AddControl(kIdComboFrom, QRect(40, 25, 59, 14), new QComboBox);
    AddControl(-1, QRect(7, 45, 30, 8), new QLabel(QStringLiteral("do DN")));
    m_comboTo = AddControl(kIdComboTo, QRect(40, 43, 59, 14), new QComboBox);
    AddControl(IDOK, QRect(106, 7, 50, 14), new QPushButton(QStringLiteral("OK")))->setDefault(true);
    AddControl(IDCANCEL, QRect(106, 25, 50, 14), new QPushButton(QStringLiteral("Zruš")));
}

bool CQyDlgGetDN::OnInitDialog()
{
    CQyAcDialog::OnInitDialog();

    if (auto* caption = GetDlgItemAs<QLabel>(kIdCaption)) {
        caption->setFont(CaptionFont());
        QPalette palette = caption->palette();
        palette.setColor(QPalette::WindowText, HotLightColor());
        caption->setPalette(palette);
    }

    // A combo's row is a DN table index.
    for (int i = 0; i < kDnCount; ++i) {
        const QString label = QString::fromUtf16(DnLabel(i));
        m_comboFrom->addItem(label);
        m_comboTo->addItem(label);
    }

    // An index outside the table would open with nothing selected, and OK could then hand
    // back a range that no table lookup may use: such an index stands for the table's end.
    if (!IsValidDn(m_nFrom)) m_nFrom = 0;
    if (!IsValidDn(m_nTo)) m_nTo = kDnCount - 1;
    UpdateData(false);
    return true;
}

void CQyDlgGetDN::DoDataExchange(bool saveAndValidate)
{
    DDX_CBIndex(saveAndValidate, kIdComboFrom, m_nFrom);
    DDX_CBIndex(saveAndValidate, kIdComboTo, m_nTo);
}

void CQyDlgGetDN::OnOK()
{
    if (!UpdateData(true)) return;
    if (!IsValidDn(m_nFrom) || !IsValidDn(m_nTo)) {
        // Only a program can clear a drop-down list's selection; the range is then incomplete.
        const int empty = IsValidDn(m_nFrom) ? kIdComboTo : kIdComboFrom;
        FailExchange(empty, QStringLiteral("Vyberte DN 'od' i DN 'do'."));
        return;
    }
    if (m_nTo >= m_nFrom) {
        EndDialog(IDOK);
        return;
    }
    GetWindowServices().ShowMessage(u"DN 'od' musí být menší nebo rovno DN 'do'", kProgramTitle,
                                    MessageIcon::Warning, MessageButtons::Ok);
}
