#include "Application.h"

#include "CWexFunkce.h"
#include "CWexSezMaterialu.h"
#include "ProgramIcons.h"
#include "QtWindowServices.h"
#include "QyDlgMatEdituj.h"
#include "WindowServices.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

// The icon's resource file lives in this static library: the program must register it.
static void InitApplicationResources()
{
    Q_INIT_RESOURCE(velmora);
}

namespace {

bool AskedForVersion(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (argv[i] && std::strcmp(argv[i], "--version") == 0) return true;
    }
    return false;
}

// The program's own icon: the drawing of the desktop entry when SVG images can be read,
// else the same bundle of pipes painted by the program.
QIcon ApplicationIcon()
{
    if (QImageReader::supportedImageFormats().contains("svg")) {
        QIcon icon(QStringLiteral(":/velmora/velmora.svg"));
        if (!icon.pixmap(32, 32).isNull()) return icon;
    }
    return LoadProgramIcon(kIconPipes);
}

// Puts the window services back as they were when the program ends.
class WindowServicesInstalled {
public:
    explicit WindowServicesInstalled(WindowServices* replacement)
        : m_previous(replacement ? SetWindowServices(replacement) : InstallQtWindowServices())
    {
    }
    ~WindowServicesInstalled() { SetWindowServices(m_previous); }
    WindowServicesInstalled(const WindowServicesInstalled&) = delete;
    WindowServicesInstalled& operator=(const WindowServicesInstalled&) = delete;

private:
    WindowServices* m_previous;
};

} // namespace

const char* VersionText()
{
    return "velmora (Velmora) " VELMORA_VERSION;
}

int RunApplication(int argc, char** argv, const ApplicationHooks& hooks)
{
    if (AskedForVersion(argc, argv)) {
        std::printf("%s\n", VersionText());
        return 0;
    }

    // QApplication keeps a reference to the argument count for its lifetime.
    int qtArgc = argc;
    std::unique_ptr<QApplication> application;
    if (!QApplication::instance()) application = std::make_unique<QApplication>(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("velmora"));
    InitApplicationResources();
    QApplication::setWindowIcon(ApplicationIcon());

    // The program speaks Czech whatever the desktop's language, so Qt's own dialogs (the file
    // chooser's buttons and labels) do too when Qt's Czech translation is installed.
    QTranslator qtCzech;
    if (qtCzech.load(QStringLiteral("qtbase_cs"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&qtCzech);
    }

    WindowServicesInstalled services(hooks.windowServices);
    try {
        // The dialog first, then the catalog it edits; they go in the same order.
        auto dialog = std::make_unique<CQyDlgMatEdituj>();
        auto catalog = std::make_unique<CWexSezMaterialu>();
        // Every failure is reported inside; the dialog runs on whatever could be read.
        catalog->LoadFromFile(false);
        if (hooks.beforeEditing) hooks.beforeEditing(*dialog);
        dialog->RunEditing(catalog.get(), kStartFilter);
        dialog.reset();
        catalog.reset();
    } catch (const std::exception& e) {
        ShowException(e);
        return 1;
    }
    return 0;
}
