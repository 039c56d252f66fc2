// Rebuilding the open-with toolbar with three configured applications at
// display scale 144 (48-pixel cells). Target: under 20 ms.
#include "app/Globals.h"
#include "app/Settings.h"
#include "app/UnitMain.h"
#include "imaging/FreeImageLoader.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString writeExecutable(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(QStringLiteral("bin/") + name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("#!/bin/sh\n");
    file.close();
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    return path;
}

void writeDesktopEntry(const QTemporaryDir &dir, const QString &executable, const char *icon)
{
    const QString path = dir.filePath(
        QStringLiteral("share/applications/") + QFileInfo(executable).fileName() + QStringLiteral(".desktop"));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("[Desktop Entry]\nType=Application\nName=X\nExec=" + executable.toUtf8() + " %F\nIcon=" + icon + "\n");
}

void BM_DisplayOpenWithButtonsScale144(benchmark::State &state)
{
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_DATA_DIRS", (dir.filePath(QStringLiteral("share")) + QStringLiteral(":/usr/share")).toUtf8());
    // Two with theme icons, one with none (a filler entry).
    const QString apps[] = { writeExecutable(dir, QStringLiteral("wave-editor")),
        writeExecutable(dir, QStringLiteral("tagger")), writeExecutable(dir, QStringLiteral("no-icon-tool")) };
    writeDesktopEntry(dir, apps[0], "display-im6.q16");
    writeDesktopEntry(dir, apps[1], "display-im6.q16");

    DisplayScale = 144;
    ShowTreeViewHint = false;
    TFormMain form;
    FormMain = &form;
    // Scale 144 gives 48-pixel cells; the window's creation may have lowered
    // the scale to fit a small (virtual) screen, so the cell is set as 144 makes it.
    form.ImageListFilesButtons.setCellSize(QSize(48, 48));
    TFormSettings settings(&form);
    FormSettings = &settings;
    for (int n = 1; n <= 3; ++n)
        settings.EditApp(n)->setText(apps[n - 1]);

    for (auto _ : state)
        form.DisplayOpenWithButtons();
    state.counters["cell"] = form.ImageListFilesButtons.width();
    state.counters["images"] = form.ImageListFilesButtons.count();

    FormSettings = nullptr;
    FormMain = nullptr;
}
BENCHMARK(BM_DisplayOpenWithButtonsScale144)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    const FreeImageLibraryScope freeImage;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
