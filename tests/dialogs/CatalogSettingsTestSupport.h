#pragma once
// Settings of a test's own for the catalog dialogs that read and write catalog files: an install
// folder and a common data folder inside a fresh temporary folder, named by a per-user settings
// file for as long as the object lives. Also small helpers to write and read catalog files.

#include "CWexSezMaterialu.h"
#include "CatalogDialogTestSupport.h"
#include "CatalogFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <filesystem>
#include <initializer_list>

struct TempCatalogSettings {
    QTemporaryDir root;
    QString install; // CommonInstallPath
    QString data;    // CommonDataPath
    QByteArray previousUser = qgetenv("VELMORA_USER_REGISTRY");
    QByteArray previousMachine = qgetenv("VELMORA_MACHINE_REGISTRY");

    TempCatalogSettings()
    {
        install = root.filePath(QStringLiteral("install"));
        data = root.filePath(QStringLiteral("data"));
        QDir().mkpath(install + QStringLiteral("/Velmora"));
        QDir().mkpath(data);
        QFile file(root.filePath(QStringLiteral("user.reg")));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QStringLiteral("Windows Registry Editor Version 5.00\n\n"
                                      "[HKEY_CURRENT_USER\\Software\\Brevanti]\n"
                                      "\"CommonInstallPath\"=\"%1\"\n"
                                      "\"CommonDataPath\"=\"%2\"\n")
                           .arg(install, data)
                           .toUtf8());
        }
        qputenv("VELMORA_USER_REGISTRY", root.filePath(QStringLiteral("user.reg")).toLocal8Bit());
        qputenv("VELMORA_MACHINE_REGISTRY", root.filePath(QStringLiteral("none.reg")).toLocal8Bit());
    }
    ~TempCatalogSettings()
    {
        qputenv("VELMORA_USER_REGISTRY", previousUser);
        qputenv("VELMORA_MACHINE_REGISTRY", previousMachine);
    }
    TempCatalogSettings(const TempCatalogSettings&) = delete;
    TempCatalogSettings& operator=(const TempCatalogSettings&) = delete;

    QString UserCatalog() const { return data + QStringLiteral("/Velmora/Potrubi.ptq"); }
    QString StandardCatalog() const { return install + QStringLiteral("/Velmora/Potrubi_std.ptq"); }
    // Another catalog file in the data folder, as a user keeps catalogs to share there.
    QString DataFile(const char* name) const { return data + QLatin1Char('/') + QString::fromUtf8(name); }
};

inline std::filesystem::path FsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

// Writes a catalog file holding `materials`.
inline void WriteTestCatalog(const QString& path, std::initializer_list<TestMaterial> materials)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    CWexSezMaterialu catalog;
    FillCatalog(catalog, materials);
    WriteCatalogFile(FsPath(path), catalog);
}

// The material names a catalog file holds, in file order.
inline QStringList CatalogFileNames(const QString& path)
{
    CWexSezMaterialu catalog;
    ReadCatalogFile(FsPath(path), catalog);
    QStringList names;
    for (const auto& [name, material] : catalog.m_materials) names << QString::fromStdU16String(name);
    return names;
}

inline QStringList CatalogNames(const CWexSezMaterialu& catalog)
{
    QStringList names;
    for (const auto& [name, material] : catalog.m_materials) names << QString::fromStdU16String(name);
    return names;
}
