// How much of a details read is the program's own work. The floor is the
// library alone (open the file and take its report); the program adds the
// copy of the report, the split, the line rule and filling the view.
#include "details/DetailsTextForm.h"
#include "details/MediaInfoDll.h"
#include "details/MediaInfoLibraryFunctions.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

struct Fixture
{
    QString label;
    QString path;
};

QList<Fixture> g_fixtures;

QString makeFixture(const QString &folder, const QString &name, const QStringList &arguments)
{
    const QString path = folder + u'/' + name;
    if (QFileInfo::exists(path))
        return path;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y")} + arguments
                     + QStringList{path});
    ffmpeg.waitForFinished(120000);
    return QFileInfo::exists(path) ? path : QString();
}

void makeFixtures()
{
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../fixtures/details-bench");
    QDir().mkpath(folder);
    const QStringList source = {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                QStringLiteral("sine=frequency=440:duration=30"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                                QStringLiteral("-i"), QStringLiteral("color=c=blue:s=300x300:d=0.04"), QStringLiteral("-map"),
                                QStringLiteral("0"), QStringLiteral("-map"), QStringLiteral("1"), QStringLiteral("-disposition:v"),
                                QStringLiteral("attached_pic"), QStringLiteral("-metadata"), QStringLiteral("title=Bench: tone"),
                                QStringLiteral("-metadata"), QStringLiteral("artist=Vantrel")};
    const auto add = [&](const char *label, const QString &path) {
        if (!path.isEmpty())
            g_fixtures.append({QString::fromLatin1(label), path});
    };
    add("mp3", makeFixture(folder, QStringLiteral("tone.mp3"), source + QStringList{QStringLiteral("-c:v"), QStringLiteral("mjpeg"), QStringLiteral("-c:a"), QStringLiteral("libmp3lame")}));
    add("flac", makeFixture(folder, QStringLiteral("tone.flac"), source + QStringList{QStringLiteral("-c:v"), QStringLiteral("png"), QStringLiteral("-c:a"), QStringLiteral("flac")}));
    add("m4a", makeFixture(folder, QStringLiteral("tone.m4a"), source + QStringList{QStringLiteral("-c:v"), QStringLiteral("mjpeg"), QStringLiteral("-c:a"), QStringLiteral("aac")}));
    add("wav", makeFixture(folder, QStringLiteral("tone.wav"), QStringList{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=frequency=440:duration=30"), QStringLiteral("-c:a"), QStringLiteral("pcm_s16le")}));
    add("oga", QStringLiteral("/usr/share/sounds/freedesktop/stereo/complete.oga"));
}

// The library's part of a read, as the program calls it, report left in place.
void BM_LibraryOnly(benchmark::State &state)
{
    const Fixture &fixture = g_fixtures.at(state.range(0));
    const std::wstring name = MediaInfoDll::toWide(fixture.path);
    const MediaInfoDll::EntryPoints &mi = MediaInfoDll::entryPoints();
    for (auto _ : state) {
        void *handle = mi.MediaInfo_New();
        mi.MediaInfo_Open(handle, name.c_str());
        mi.MediaInfo_Option(nullptr, L"Inform", L"1");
        benchmark::DoNotOptimize(mi.MediaInfo_Inform(handle, 0));
        mi.MediaInfo_Close(handle);
        mi.MediaInfo_Delete(handle);
    }
    state.SetLabel(fixture.label.toStdString());
}

// The whole read as the program does it, plus the line rule.
void BM_ReadAndClassify(benchmark::State &state)
{
    const Fixture &fixture = g_fixtures.at(state.range(0));
    for (auto _ : state) {
        TDetailsLines lines;
        ReadFileDetails(fixture.path, lines);
        benchmark::DoNotOptimize(BuildDetailsContents(lines));
    }
    state.SetLabel(fixture.label.toStdString());
}

// Only the program's own work on a report the library already produced.
void BM_OwnWork(benchmark::State &state)
{
    const Fixture &fixture = g_fixtures.at(state.range(0));
    const MediaInfoDll::EntryPoints &mi = MediaInfoDll::entryPoints();
    const std::wstring name = MediaInfoDll::toWide(fixture.path);
    void *handle = mi.MediaInfo_New();
    mi.MediaInfo_Open(handle, name.c_str());
    mi.MediaInfo_Option(nullptr, L"Inform", L"1");
    const std::wstring report = mi.MediaInfo_Inform(handle, 0);
    mi.MediaInfo_Close(handle);
    mi.MediaInfo_Delete(handle);
    for (auto _ : state) {
        TDetailsLines lines = SplitDetailsReport(MediaInfoDll::fromWide(report.c_str()));
        RemoveFirstCoverDataLine(lines);
        benchmark::DoNotOptimize(BuildDetailsContents(lines));
    }
    state.SetLabel(fixture.label.toStdString() + ", " + std::to_string(SplitDetailsReport(MediaInfoDll::fromWide(report.c_str())).size()) + " lines");
}

// Collects real times so the run ends with the program's share per file.
class ShareReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nProgram's own share of a details read (target under 10 %%):\n");
        for (qsizetype i = 0; i < g_fixtures.size(); ++i) {
            const std::string arg = "/" + std::to_string(i);
            const double library = m_times["BM_LibraryOnly" + arg];
            const double total = m_times["BM_ReadAndClassify" + arg];
            const double own = m_times["BM_OwnWork" + arg];
            if (library <= 0 || total <= 0)
                continue;
            std::printf("  %-5s library %8.1f us, read+classify %8.1f us, own work %7.1f us = %5.2f %% of the read\n",
                        g_fixtures.at(i).label.toStdString().c_str(), library / 1000, total / 1000, own / 1000,
                        100.0 * own / total);
        }
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    InitializeMediaInfoLibraryFunctions();
    if (!MediaInfoLibraryAvailable()) {
        std::fprintf(stderr, "MediaInfo library not available\n");
        return 1;
    }
    makeFixtures();
    // The fixtures exist only now, so the per-file cases are registered here.
    for (auto *benchmark : {benchmark::RegisterBenchmark("BM_LibraryOnly", BM_LibraryOnly),
                            benchmark::RegisterBenchmark("BM_ReadAndClassify", BM_ReadAndClassify),
                            benchmark::RegisterBenchmark("BM_OwnWork", BM_OwnWork)}) {
        benchmark->Unit(benchmark::kMicrosecond);
        for (qsizetype i = 0; i < g_fixtures.size(); ++i)
            benchmark->Arg(i);
    }
    benchmark::Initialize(&argc, argv);
    ShareReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
