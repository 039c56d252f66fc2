// GetSelectedFilesList with 10,000 selected files. The floor is one stat()
// per name, which keeping existing files only cannot avoid; the program
// adds walking the library's name list and building SelectedFilesList.
// "ThroughLibrary" includes the library building its report (message 2072).
#include "app/Globals.h"
#include "app/UnitMain.h"
#include "browser/BrivaneDialogsDefs.h"
#include "browser/BrivaneDialogsDynamic.h"
#include "platform/KeyStore.h"
#include "platform/WindowMessage.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <sys/stat.h>

namespace {

constexpr int kFiles = 10000;

QTemporaryDir *g_folder = nullptr;
QStringList g_names;
std::u16string g_report;
TFormMain *g_form = nullptr;

void makeFolder()
{
    g_folder = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/vantrel-bench-XXXXXX"));
    for (int i = 0; i < kFiles; ++i) {
        const QString path = g_folder->path() + QStringLiteral("/track%1.mp3").arg(i, 5, 10, QLatin1Char('0'));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        g_names.append(path);
        g_report += path.toStdU16String();
        g_report += u'\0';
    }
    g_report += u'\0';
}

void BM_StatFloor(benchmark::State &state)
{
    std::vector<QByteArray> encoded;
    for (const QString &name : std::as_const(g_names))
        encoded.push_back(QFile::encodeName(name));
    for (auto _ : state) {
        int files = 0;
        for (const QByteArray &name : encoded) {
            struct stat info
            {
            };
            files += ::stat(name.constData(), &info) == 0 && S_ISREG(info.st_mode);
        }
        benchmark::DoNotOptimize(files);
    }
}
BENCHMARK(BM_StatFloor)->Unit(benchmark::kMillisecond);

void BM_SelectionReport(benchmark::State &state)
{
    TOpenDialogResults results {};
    results.FileCount = kFiles;
    results.FileNames = g_report.data();
    for (auto _ : state) {
        g_form->HandleBrivaneDialogsEvent(bdEventSelection, reinterpret_cast<std::uintptr_t>(&results));
        benchmark::DoNotOptimize(g_form->SelectedFilesList.size());
    }
    if (g_form->SelectedFilesList.size() != kFiles)
        state.SkipWithError("not every file was kept");
}
BENCHMARK(BM_SelectionReport)->Unit(benchmark::kMillisecond);

void BM_GetSelectedFilesListThroughLibrary(benchmark::State &state)
{
    QWidget *browser = platform::widgetOf(g_form->BrivaneDialogsWindow);
    auto *view = browser ? browser->findChild<QAbstractItemView *>(QStringLiteral("FileListDetails")) : nullptr;
    if (!view) {
        state.SkipWithError("the dialog library is not available");
        return;
    }
    QElapsedTimer waited;
    waited.start();
    while (view->model()->rowCount() < kFiles && waited.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    view->selectAll();
    for (auto _ : state) {
        g_form->GetSelectedFilesList();
        benchmark::DoNotOptimize(g_form->SelectedFilesList.size());
    }
    if (g_form->SelectedFilesList.size() != kFiles)
        state.SkipWithError("the library did not report every file");
}
BENCHMARK(BM_GetSelectedFilesListThroughLibrary)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    // Keep the user's settings and key store out of it.
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    const BrivaneDialogsBindings bindings;
    QApplication app(argc, argv);
    makeFolder();
    platform::KeyStore store;
    const QString key = BrivaneDialogsSettingsKey(QStringLiteral("{14041EA1-43B5-474A-B7BA-CAE3B9460048}"));
    (void)store.createKey(key);
    (void)store.writeString(key, QStringLiteral("Folder"), g_folder->path() + QLatin1Char('/'));

    auto form = std::make_unique<TFormMain>();
    g_form = form.get();
    ShowTreeViewHint = false;
    form->TimerStartup->stop();
    form->OpenBrivaneDialogsIntegrated();
    std::printf("GetSelectedFilesList with %d selected files; target under 50 ms\n", kFiles);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_form = nullptr;
    form.reset();
    delete g_folder;
    return 0;
}
