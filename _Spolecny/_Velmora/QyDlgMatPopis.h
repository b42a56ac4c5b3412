#pragma once
// The description format dialog: the prefix and suffix (at most 4 characters each) that a
// user-defined profile label puts around the diameter, and which diameter that is.
//
// Use: construct without a parent, copy the shown material's prefix, suffix and diameter
// kind into the members, DoModal(). On IDOK read the members back; on IDCANCEL copy nothing.

#include "QyAcDialog.h"

#include <QString>

class CQyDlgMatPopis : public CQyAcDialog {
    Q_OBJECT

public:
    enum { IDD = 501 };
    // The material keeps prefix and suffix in five-character fields with a terminator.
    static constexpr int kMaxAffixChars = 4;

    explicit CQyDlgMatPopis(QWidget* parent = nullptr);

    QString m_strPrefix;     // edit 11061 "Prefix popisu:"
    QString m_strSuffix;     // edit 11062 "Suffix popisu:"
    int m_nDiameterKind = 0; // 0 outer diameter (radio 11015), 1 inner diameter (radio 11016)

protected:
    void DoDataExchange(bool saveAndValidate) override;
};
