// The editing dialog's catalog files and closing: loading a catalog file or the standard
// catalog into the working copy, OK and Cancel, and the online help.

#include "QyDlgMatEdituj.h"

#include "HelpPage.h"

#include <QFileDialog>

void CQyDlgMatEdituj::OnLoadFromFile()
{
}

bool CQyDlgMatEdituj::ChooseCatalogFile(QFileDialog&)
{
    return false;
}

void CQyDlgMatEdituj::OnLoadStandard()
{
}

void CQyDlgMatEdituj::OnOK()
{
    CQyAcDialog::OnOK();
}

void CQyDlgMatEdituj::OnCancel()
{
    CQyAcDialog::OnCancel();
}

void CQyDlgMatEdituj::OnOnlineHelp()
{
    OpenHelpPage();
}
