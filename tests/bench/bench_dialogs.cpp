// The editing dialog on generated catalogs (offscreen): filling and sorting the material list,
// a click on a purpose filter, and showing a material with its 28 profiles. Each operation is
// timed together with the events it leaves pending (layout, the repaint of the window), so a
// figure is what the user waits for before the next frame.
//
// Prints one line per operation and size:
//   RESULT <operation> <materials> <wall median ms> <cpu median ms> <wall min ms> <repetitions> <painted>
// where <painted> counts the repetitions after which the list or profile table had repainted.
// CPU time is the process's, so a figure taken while the machine is shared can be judged.
//
// bench_dialogs [SIZES...]            the sizes to measure (default 1000 10000 100000)
// bench_dialogs --write-catalog N F   writes a generated catalog of N materials to file F

#include "CatalogFile.h"
#include "GeneratedCatalog.h"
#include "QyDlgMatEdituj.h"
#include "ScriptedWindowServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

using namespace MatDlgId;

namespace {

double ProcessCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double WallMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// Counts the paints of the widgets it watches.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

PaintCounter g_paints;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Times `step` followed by the events it posted (layout, repaint) `repetitions` times.
void Measure(const char* operation, int materials, int repetitions, const std::function<void(int)>& step)
{
    std::vector<double> wall, cpu;
    int painted = 0;
    for (int i = 0; i < repetitions; ++i) {
        const int paintsBefore = g_paints.paints;
        const double w0 = WallMs(), c0 = ProcessCpuMs();
        step(i);
        QApplication::processEvents();
        wall.push_back(WallMs() - w0);
        cpu.push_back(ProcessCpuMs() - c0);
        if (g_paints.paints > paintsBefore) ++painted;
    }
    std::printf("RESULT %s %d %.2f %.2f %.2f %d %d\n", operation, materials, Median(wall), Median(cpu),
                *std::min_element(wall.begin(), wall.end()), repetitions, painted);
    std::fflush(stdout);
}

void MeasureSize(int materials)
{
    CWexSezMaterialu catalog;
    bench::FillGeneratedCatalog(catalog, materials);

    CQyDlgMatEdituj dlg;
    dlg.m_workCatalog.Assign(catalog);
    dlg.m_pCatalog = &dlg.m_workCatalog;
    dlg.m_filter = MaterialFilter{GroupAll, PurposeAll};
    dlg.show();
    dlg.m_listMat->viewport()->installEventFilter(&g_paints);
    dlg.m_treeProf->viewport()->installEventFilter(&g_paints);
    QApplication::processEvents();

    const int repetitions = materials >= 100000 ? 5 : 15;
    // Through the selection dialog's public entry; the editing dialog's override runs.
    CQyDlgMatVyber& list = dlg;
    Measure("fill_sort", materials, repetitions, [&](int) { list.FillMaterialList(MaterialFilter{GroupAll, PurposeAll}); });

    // Alternating between two purposes, so every click changes the list.
    auto* water = dlg.GetDlgItemAs<QAbstractButton>(IdcFilterWater);
    auto* all = dlg.GetDlgItemAs<QAbstractButton>(IdcFilterAll);
    Measure("filter_click", materials, repetitions, [&](int i) { (i % 2 ? all : water)->click(); });
    all->click();
    QApplication::processEvents();

    // Rows apart, each showing a material of 28 profiles.
    const int rows = dlg.m_listMat->GetItemCount();
    Measure("show_material", materials, 30, [&](int i) { dlg.m_listMat->SelectItem((i * 7919 + 1) % rows); });
}

int WriteCatalog(int materials, const char* file)
{
    CWexSezMaterialu catalog;
    bench::FillGeneratedCatalog(catalog, materials);
    WriteCatalogFile(file, catalog);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--write-catalog") return WriteCatalog(std::atoi(argv[2]), argv[3]);

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);

    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {1000, 10000, 100000};
    for (int materials : sizes) {
        if (materials > 0) MeasureSize(materials);
    }
    if (!services.Prompts().empty()) {
        std::fprintf(stderr, "the dialog asked: %s\n", services.Prompts().front().Text().c_str());
        return 1;
    }
    return 0;
}
