#include "QyDlgMatPopis.h"

#include "WindowServices.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr int kIdPrefix = 11061;
constexpr int kIdSuffix = 11062;
constexpr int kIdOuterDiameter = 11015;
constexpr int kIdInnerDiameter = 11016;

} // namespace

CQyDlgMatPopis::CQyDlgMatPopis(QWidget* parent)
    : CQyAcDialog(IDD, parent, QString(), 0)
{
    setWindowTitle(QStringLiteral("Zadej formát popisu"));
    SetTemplateSize(163, 76);

    // Positions in dialog units; the buttons stand in a column at the right. Creation order
    // is the tab order.
    AddControl(-1, QRect(7, 9, 50, 8), new QLabel(QStringLiteral("Prefix popisu:")));
    AddControl(kIdPrefix, QRect(60, 7, 39, 14), new QLineEdit);
    AddControl(-1, QRect(7, 27, 50, 8), new QLabel(QStringLiteral("Suffix popisu:")));
    AddControl(kIdSuffix, QRect(60, 25, 39, 14), new QLineEdit);
    AddControl(kIdOuterDiameter, QRect(7, 44, 92, 12), new QRadioButton(QStringLiteral("Vnější průměr")));
    AddControl(kIdInnerDiameter, QRect(7, 57, 92, 12), new QRadioButton(QStringLiteral("Vnitřní průměr")));
    AddControl(IDOK, QRect(106, 7, 50, 14), new QPushButton(QStringLiteral("OK")))->setDefault(true);
    AddControl(IDCANCEL, QRect(106, 25, 50, 14), new QPushButton(QStringLiteral("Cancel")));
}

void CQyDlgMatPopis::DoDataExchange(bool saveAndValidate)
{
    DDX_Text(saveAndValidate, kIdPrefix, m_strPrefix);
    DDV_MaxChars(saveAndValidate, kIdPrefix, m_strPrefix, kMaxAffixChars);
    DDX_Text(saveAndValidate, kIdSuffix, m_strSuffix);
    DDV_MaxChars(saveAndValidate, kIdSuffix, m_strSuffix, kMaxAffixChars);

    int checked = m_nDiameterKind;
    DDX_Radio(saveAndValidate, kIdOuterDiameter, kIdInnerDiameter, checked);
    // Anything but the outer diameter checked, also no radio at all, means the inner one.
    if (saveAndValidate && !ExchangeFailed()) m_nDiameterKind = checked == 0 ? 0 : 1;
}
