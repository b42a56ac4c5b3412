#pragma once
// The DN range dialog: asks for a lower and an upper nominal size of the DN table, for
// generating a material's profile series.
//
// Use: construct with the editing dialog as parent, set m_nFrom and m_nTo (0 and 27 for the
// whole table), DoModal(). On IDOK 0 <= m_nFrom <= m_nTo <= 27 holds; on IDCANCEL the members
// say nothing.

#include "PipeTables.h"
#include "QyAcDialog.h"

class QComboBox;

class CQyDlgGetDN : public CQyAcDialog {
    Q_OBJECT

public:
    enum { IDD = 502 };

    explicit CQyDlgGetDN(QWidget* parent = nullptr);

    QComboBox* m_comboFrom = nullptr; // drop-down list 11057 "od DN"
    QComboBox* m_comboTo = nullptr;   // drop-down list 11045 "do DN"
    int m_nFrom = 0;                  // DN table index of the lower size
    int m_nTo = kDnCount - 1;         // DN table index of the upper size

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(bool saveAndValidate) override;
};
