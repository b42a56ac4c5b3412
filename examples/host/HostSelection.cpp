#include "HostSelection.h"

#include "CWexMaterial.h"
#include "CWexProfil.h"
#include "CWexSezMaterialu.h"
#include "PipeTables.h"
#include "QtWindowServices.h"
#include "QyDlgMatVyber.h"
#include "TextConvert.h"

#include <QApplication>

#include <iostream>
#include <memory>

HostResult PickMaterialAndProfile(CWexSezMaterialu& catalog, std::ostream& out)
{
    CQyDlgMatVyber dialog;
    const int result = dialog.RunSelection(&catalog, MaterialFilter{GroupAll, PurposeAll}, true);
    if (result == -1) return HostFailed;
    if (result != IDOK) return HostCancelled;

    // Both point into the catalog's own records: valid while the catalog is unchanged.
    const CWexMaterial* material = dialog.m_pSelMaterial;
    const CWexProfil* profile = dialog.m_pSelProfile;
    out << "Materiál: " << Utf16ToUtf8(material->m_strName) << '\n'
        << "Profil: " << Utf16ToUtf8(profile->Label()) << '\n'
        << "DN: " << Utf16ToUtf8(DnLabel(profile->m_nDN)) << '\n';
    return HostPicked;
}

int RunHost(int argc, char** argv)
{
    int qtArgc = argc;
    std::unique_ptr<QApplication> application;
    if (!QApplication::instance()) application = std::make_unique<QApplication>(qtArgc, argv);
    WindowServices* previous = InstallQtWindowServices();

    HostResult result = HostFailed;
    {
        CWexSezMaterialu catalog;
        catalog.LoadFromFile(false); // reports its own failures
        result = PickMaterialAndProfile(catalog, std::cout);
    }
    SetWindowServices(previous);
    return result;
}
