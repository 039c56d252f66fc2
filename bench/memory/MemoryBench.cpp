// Resident memory of the whole program as a user drives it: the main window
// with the embedded browser on a folder of 100,000 audio files, then focus
// changes down the list (each reads the file's details and fills the view),
// in two rounds of 1,000 so a leak shows as growth between them.
// Prints each figure beside the bare window's in the same process and the
// target (100 MB after the folder and 1,000 focus changes, flat after that).
#include "app/DeferredStartup.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "app/UnitMain.h"
#include "browser/BrivaneDialogsDefs.h"
#include "browser/BrivaneDialogsDynamic.h"
#include "platform/KeyStore.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <malloc.h>
#include <unistd.h>

namespace {

constexpr int kFiles = 100000;
constexpr int kFocusChanges = 1000;
constexpr double kTargetMegabytes = 100.0;
// Growth over the second round of focus changes that still counts as flat:
// allocator noise, not a leak.
constexpr double kFlatMegabytes = 2.0;

// Resident and peak resident set of this process, in MB.
double statusMegabytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

double resident()
{
    return statusMegabytes("VmRSS");
}

// 100,000 names in one folder, all hard links to a few copies of one short
// mp3, so the folder costs a few files' blocks; made once and kept in the
// build folder. One file takes at most 65,000 links on ext4.
QString makeFolder()
{
    const QString root = QCoreApplication::applicationDirPath() + QStringLiteral("/../fixtures/memory-bench");
    const QString folder = root + QStringLiteral("/100k");
    const QString marker = folder + QStringLiteral("/.complete");
    if (QFileInfo::exists(marker))
        return folder;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString source = root + QStringLiteral("/tone.mp3");
    QProcess::execute(QStringLiteral("ffmpeg"),
        { QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
            QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=frequency=440:duration=2"),
            QStringLiteral("-metadata"), QStringLiteral("title=Memory bench"), source });
    constexpr int kLinksPerCopy = 50000;
    QByteArray sourcePath;
    for (int i = 0; i < kFiles; ++i) {
        if (i % kLinksPerCopy == 0) {
            const QString copy = root + QStringLiteral("/tone-%1.mp3").arg(i / kLinksPerCopy);
            QFile::remove(copy);
            QFile::copy(source, copy);
            sourcePath = QFile::encodeName(copy);
        }
        const QByteArray name
            = QFile::encodeName(folder + QStringLiteral("/track %1.mp3").arg(i, 6, 10, QLatin1Char('0')));
        if (::link(sourcePath.constData(), name.constData()) != 0) {
            std::fprintf(stderr, "cannot make %s\n", name.constData());
            return {};
        }
    }
    QFile(marker).open(QIODevice::WriteOnly);
    return folder;
}

QAbstractItemView *fileList(QWidget *panel, int rows)
{
    for (QAbstractItemView *view : panel->findChildren<QAbstractItemView *>()) {
        if (view->isVisible() && view->model() && view->model()->rowCount(view->rootIndex()) >= rows)
            return view;
    }
    return nullptr;
}

// Resident memory splits into pages of mapped files (the libraries' code and
// data, fonts) and anonymous pages (heap, stacks): shown beside each figure,
// so a growth can be told from the libraries loaded after the first paint.
void report(const char *what, double megabytes, const char *note = "")
{
    std::printf("  %-44s %7.1f MB  (files %5.1f, heap %5.1f) %s\n", what, megabytes, statusMegabytes("RssFile"),
        statusMegabytes("RssAnon"), note);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    // The dialog library, bound as the program binds it before any window.
    const BrivaneDialogsBindings brivaneDialogs;
    QApplication app(argc, argv);
    const QString folder = makeFolder();
    if (folder.isEmpty())
        return 1;

    std::printf("Resident memory (target: <= %.0f MB after the folder and %d focus changes, flat after):\n",
        kTargetMegabytes, kFocusChanges);
    double bare = 0;
    {
        QMainWindow window;
        window.resize(1572, 728);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            std::fprintf(stderr, "the bare window was never exposed\n");
        bare = resident();
        report("reference: bare Qt window, same process", bare);
    }

    platform::KeyStore store;
    const QString key = BrivaneDialogsSettingsKey(QStringLiteral("{14041EA1-43B5-474A-B7BA-CAE3B9460048}"));
    (void)store.createKey(key);
    (void)store.writeString(key, QStringLiteral("Folder"), folder + QLatin1Char('/'));
    ShowTreeViewHint = false;
    DisplayScale = 96;

    TFormMain form;
    FormMain = &form;
    TFormSettings settings(&form);
    FormSettings = &settings;
    form.StartDeferredStartupAfterFirstPaint();
    form.DisplayOpenWithButtons();
    form.OpenBrivaneDialogsIntegrated();
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        std::fprintf(stderr, "the main window was never exposed\n");
    report("program started", resident());

    QAbstractItemView *list = nullptr;
    if (!QTest::qWaitFor([&] { return (list = fileList(form.PanelBrivaneDialogs, kFiles)) != nullptr; }, 60000)) {
        std::fprintf(stderr, "the browser did not list %d files within 60 s\n", kFiles);
        return 1;
    }
    form.DeferredLoading->wait();
    QTest::qWait(200);
    report("100k folder listed", resident());

    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0, list->rootIndex()));
    double afterFirst = 0;
    for (int round = 0; round < 2; ++round) {
        const QString before = form.FocusedFileName;
        for (int i = 0; i < kFocusChanges; ++i) {
            QTest::keyClick(list, Qt::Key_Down);
            QCoreApplication::processEvents();
        }
        if (form.FocusedFileName == before)
            std::fprintf(stderr, "warning: the focus did not move\n");
        const double now = resident();
        if (round == 0) {
            afterFirst = now;
            report("after 1,000 focus changes", now, now <= kTargetMegabytes ? "(target met)" : "(target NOT met)");
        } else {
            report(
                "after 2,000 focus changes", now, now - afterFirst <= kFlatMegabytes ? "(flat)" : "(grows: NOT flat)");
        }
    }
    // What the allocator keeps but the program no longer uses.
    malloc_trim(0);
    report("after 2,000, heap trimmed", resident());
    report("peak", statusMegabytes("VmHWM"));
    std::printf("  ratio to the bare window: %.2fx\n", afterFirst / bare);

    FormSettings = nullptr;
    FormMain = nullptr;
    return 0;
}
