// The editing dialog's profile table: the tree-list's columns and rows, the texts of its
// cells, the checks of cell edits, the profile buttons and the price-list code edits.

#include "QyDlgMatEdituj.h"

#include "CWexMaterial.h"
#include "CWexProfil.h"

void CQyDlgMatEdituj::CreateProfileTree()
{
    CQyDlgMatVyber::CreateProfileTree();
}

TreeListItem* CQyDlgMatEdituj::InsertProfileItem(CWexProfil* profile)
{
    return CQyDlgMatVyber::InsertProfileItem(profile);
}

void CQyDlgMatEdituj::OnMaterialShown(CWexMaterial*)
{
}

void CQyDlgMatEdituj::OnProfileSelChanged(TreeListItem*, TreeListItem*)
{
}

bool CQyDlgMatEdituj::OnGetProfileText(const TreeListTextRequest& request, QString& text)
{
    return GetBaseProfileText(request, text);
}

int CQyDlgMatEdituj::OnSetProfileText(const TreeListEditInfo&)
{
    return 0;
}

int CQyDlgMatEdituj::OnCheckProfileCell(CCheckedEdit&, const TreeListEditInfo&)
{
    return 0;
}

void CQyDlgMatEdituj::OnAddProfile()
{
}

void CQyDlgMatEdituj::OnDeleteProfile()
{
}

void CQyDlgMatEdituj::OnDeleteAllProfiles()
{
}

void CQyDlgMatEdituj::OnGenerateProfiles()
{
}
