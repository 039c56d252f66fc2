#include "OpenWithFixture.h"
#include "util/OpenWithLauncher.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <functional>

namespace {

// A script that writes each argument it got, NUL-terminated, to the file the
// environment it inherits names (its arguments are the ones under test).
const QByteArray kRecorder = "#!/bin/sh\n"
                             "out=\"$VANTREL_RECORD\"\n"
                             "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$out.part\"\n"
                             "mv \"$out.part\" \"$out\"\n";

class LaunchTest : public OpenWithTest
{
protected:
    void SetUp() override
    {
        OpenWithTest::SetUp();
        m_record = m_dir.filePath(QStringLiteral("record"));
        qputenv("VANTREL_RECORD", m_record.toUtf8());
    }
    void TearDown() override
    {
        qunsetenv("VANTREL_RECORD");
        OpenWithTest::TearDown();
    }

    // The arguments the recorder got; fails when it never ran.
    QStringList recorded()
    {
        if (!QTest::qWaitFor([this] { return QFile::exists(m_record); }, 20000)) {
            ADD_FAILURE() << "the application did not start";
            return {};
        }
        QStringList args;
        const QByteArray bytes = TempDir::readAll(m_record);
        for (const QByteArray &part : bytes.split('\0'))
            args.append(QString::fromUtf8(part));
        args.removeLast(); // after the last terminator
        QFile::remove(m_record);
        return args;
    }

    QString m_record;
};

TEST(ExpandParametersTemplate, SplitsLikeQProcessWhereNoFileIsPut)
{
    for (const char *parameters : { "", "  --play  ", "-a \"b c\" d", "\"\"\"quoted\"\"\"", "x\"\"y", "\"a\"\"b\"",
             "\"open", "tab\tand\nline", "\" lead\" trail\"\"\"", "{FileName} {file name}" }) {
        const QString text = QString::fromUtf8(parameters);
        EXPECT_EQ(ExpandParametersTemplate(text, {}), QProcess::splitCommand(text)) << parameters;
    }
}

TEST(ExpandParametersTemplate, EachFileIsOneWholeArgumentWhateverTheQuotes)
{
    const QString optionLike = QStringLiteral("/music/take --output=evil.sh .mp3");
    const QString quoted = QStringLiteral("/music/The \"Best\" of.mp3");
    const QString tripleQuotes = QStringLiteral("/music/\"\"\"x\"\"\".wav");
    const QString nonAscii = QStringLiteral("/musik/Grüße «Ω» 日本.flac");
    const QString dashFirst = QStringLiteral("-rf");
    const QStringList all = { optionLike, quoted, nonAscii };
    const struct
    {
        const char *parameters;
        QStringList files;
        QStringList expected;
    } cases[] = {
        { "{filename}", all, all },
        { "\"{filename}\"", { optionLike }, { optionLike } },
        { "\"{filename}\"", all, all },
        { "-x \"{filename}\" --last", { quoted, tripleQuotes },
            { QStringLiteral("-x"), quoted, tripleQuotes, QStringLiteral("--last") } },
        { "--in={filename}", { optionLike, nonAscii }, { QStringLiteral("--in=") + optionLike, nonAscii } },
        { "\"--in={filename}\"", { optionLike }, { QStringLiteral("--in=") + optionLike } },
        { "{filename}.bak", { nonAscii }, { nonAscii, QStringLiteral(".bak") } },
        { "-- {filename}", { dashFirst }, { QStringLiteral("--"), dashFirst } },
        { "\"a \"\"\"q\"\"\" b\" {filename}", { optionLike }, { QStringLiteral("a \"q\" b"), optionLike } },
        // Only the first placeholder stands for the files.
        { "{filename} \"{filename}\"", { optionLike }, { optionLike, QStringLiteral("{filename}") } },
        // Without files the placeholder leaves nothing, not even an empty argument.
        { "\"{filename}\"", {}, {} },
        { "--in={filename} -v", {}, { QStringLiteral("--in="), QStringLiteral("-v") } },
    };
    for (const auto &c : cases)
        EXPECT_EQ(ExpandParametersTemplate(QString::fromUtf8(c.parameters), c.files), c.expected) << c.parameters;
}

TEST_F(LaunchTest, DesktopEntriesRunTheirExecLine)
{
    const QString recorder = executable(QStringLiteral("bin/rec"), kRecorder);
    const QString entry = m_dir.filePath(QStringLiteral("app.desktop"));
    const QStringList two = { QStringLiteral("/a b.mp3"), QStringLiteral("/c.flac") };
    const QString urlA = QStringLiteral("file:///a%20b.mp3");
    const QString urlC = QStringLiteral("file:///c.flac");
    using Process = QStringList; // the program, then its arguments
    const struct
    {
        QByteArray keys; // Exec and any other keys of the entry
        QString parameters;
        QStringList files;
        QList<Process> processes;
    } cases[] = {
        { "Exec=\"" + recorder.toUtf8() + "\" --new %F", QStringLiteral("{filename}"), { QStringLiteral("/a b.mp3") },
            { { recorder, QStringLiteral("--new"), QStringLiteral("/a b.mp3") } } },
        { "Exec=rec --at=100%% %U --tail", QStringLiteral("{filename}"), two,
            { { QStringLiteral("rec"), QStringLiteral("--at=100%"), urlA, urlC, QStringLiteral("--tail") } } },
        // One process per file for %f and %u, each with the rest of the template.
        { "Exec=rec %f", QStringLiteral("-q {filename}"), two,
            { { QStringLiteral("rec"), QStringLiteral("-q"), two[0] },
                { QStringLiteral("rec"), QStringLiteral("-q"), two[1] } } },
        { "Exec=rec %u", QStringLiteral("{filename}"), two,
            { { QStringLiteral("rec"), urlA }, { QStringLiteral("rec"), urlC } } },
        // Nothing selected: one process without a file.
        { "Exec=rec %f", QStringLiteral("{filename}"), {}, { { QStringLiteral("rec") } } },
        // A template without the placeholder passes no file, so one process.
        { "Exec=rec %f", QStringLiteral("--play"), two, { { QStringLiteral("rec"), QStringLiteral("--play") } } },
        // No file code: the files go at the end.
        { "Exec=rec -x", QStringLiteral("{filename}"), two,
            { { QStringLiteral("rec"), QStringLiteral("-x"), two[0], two[1] } } },
        // %i, %c and %k, and codes with nothing to stand for.
        { "Exec=rec %i %c --from=%k %F\nName=Rec Player\nIcon=rec-icon", QStringLiteral("{filename}"), { two[1] },
            { { QStringLiteral("rec"), QStringLiteral("--icon"), QStringLiteral("rec-icon"),
                QStringLiteral("Rec Player"), QStringLiteral("--from=") + entry, two[1] } } },
        { "Exec=rec %i %d %F", QStringLiteral("{filename}"), { two[1] }, { { QStringLiteral("rec"), two[1] } } },
        // A quoted template and URLs: each file stays one argument.
        { "Exec=rec %U", QStringLiteral("\"--in={filename}\""),
            { QStringLiteral("/take --output=evil.sh .mp3"), two[1] },
            { { QStringLiteral("rec"), QStringLiteral("--in=file:///take%20--output=evil.sh%20.mp3"), urlC } } },
        // No Exec, nothing to start.
        { "Name=Empty", QStringLiteral("{filename}"), two, {} },
    };
    for (const auto &c : cases) {
        m_dir.write(QStringLiteral("app.desktop"), "[Desktop Entry]\nType=Application\n" + c.keys + "\n");
        QList<Process> processes;
        for (const LaunchCommand &command : BuildLaunchCommands(entry, c.parameters, c.files))
            processes.append(QStringList { command.program } + command.arguments);
        EXPECT_EQ(processes, c.processes) << c.keys.constData();
    }
}

TEST_F(LaunchTest, EntriesStartTheRightProcessesForReal)
{
    // Every process records its arguments in a file of its own.
    const QString records = m_dir.mkdir(QStringLiteral("records"));
    const QByteArray recorderBody = "#!/bin/sh\n"
                                    "out=\""
        + records.toUtf8()
        + "/$$\"\n"
          "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$out.part\"\n"
          "mv \"$out.part\" \"$out\"\n";
    const QString recorder = executable(QStringLiteral("bin/rec"), recorderBody);
    // The terminal a Terminal=true entry asks for, first on PATH.
    const QString terminalFolder = m_dir.mkdir(QStringLiteral("terminal"));
    const QString terminal = executable(QStringLiteral("terminal/x-terminal-emulator"), recorderBody);
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", terminalFolder.toUtf8() + ':' + savedPath);

    TFormMain &form = createBoth();
    const QStringList files = { QStringLiteral("/music/one.flac"), QStringLiteral("/music/two words.mp3") };
    const struct
    {
        QByteArray keys;
        QList<QStringList> processes; // compared as a set: they run side by side
    } cases[] = {
        { "Exec=\"" + recorder.toUtf8() + "\" --all %F", { { QStringLiteral("--all"), files[0], files[1] } } },
        { "Exec=\"" + recorder.toUtf8() + "\" --one %f",
            { { QStringLiteral("--one"), files[0] }, { QStringLiteral("--one"), files[1] } } },
        { "Exec=\"" + recorder.toUtf8() + "\" %F\nTerminal=true",
            { { QStringLiteral("-e"), recorder, files[0], files[1] } } },
    };
    for (const auto &c : cases) {
        const QString entry
            = m_dir.write(QStringLiteral("rec.desktop"), "[Desktop Entry]\nType=Application\n" + c.keys + "\n");
        setSlot(2, entry);
        // The processes the button starts, all of them: no other can show up
        // once their records are in.
        EXPECT_EQ(BuildLaunchCommands(entry, QStringLiteral("{filename}"), files).size(), c.processes.size())
            << c.keys.constData();
        form.SelectedFilesList = files;
        form.ToolButton2Click();
        // A record is complete once it has left its ".part" name.
        const auto done = [&] {
            const QStringList names = QDir(records).entryList(QDir::Files | QDir::NoDotAndDotDot);
            return std::count_if(names.begin(), names.end(), [](const QString &name) {
                return !name.endsWith(QStringLiteral(".part"));
            }) >= c.processes.size();
        };
        EXPECT_TRUE(QTest::qWaitFor(done, 20000)) << c.keys.constData();
        QList<QStringList> got;
        for (const QFileInfo &record : QDir(records).entryInfoList(QDir::Files | QDir::NoDotAndDotDot)) {
            if (record.fileName().endsWith(QStringLiteral(".part")))
                continue;
            QStringList args;
            for (const QByteArray &part : TempDir::readAll(record.filePath()).split('\0'))
                args.append(QString::fromUtf8(part));
            args.removeLast();
            got.append(args);
            QFile::remove(record.filePath());
        }
        std::sort(got.begin(), got.end());
        QList<QStringList> expected = c.processes;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(got, expected) << c.keys.constData();
    }
    qputenv("PATH", savedPath);
    Q_UNUSED(terminal);
}

TEST_F(LaunchTest, SelectedFilesReachTheApplicationIntact)
{
    TFormMain &form = createBoth();
    // An executable path with blanks is started as it is.
    const QString recorder = executable(QStringLiteral("My Apps/rec.sh"), kRecorder);
    const QString withBlanks = QStringLiteral("/B/y z.wav");
    const QString withQuote = QStringLiteral("/music/The \"Best\" of.mp3");
    const QString trailingQuote = QStringLiteral("/music/odd\"");
    const struct
    {
        QStringList selection;
        QString parameters;
        QStringList expected;
    } cases[] = {
        { { QStringLiteral("/A/x.mp3"), withBlanks }, QStringLiteral("{filename}"),
            { QStringLiteral("/A/x.mp3"), withBlanks } },
        { { withQuote, trailingQuote }, QStringLiteral("{filename}"), { withQuote, trailingQuote } },
        { { QStringLiteral("/A/x.mp3") }, QStringLiteral("--in {filename}--again {filename}"),
            { QStringLiteral("--in"), QStringLiteral("/A/x.mp3"), QStringLiteral("--again"),
                QStringLiteral("{filename}") } },
        { { QStringLiteral("/A/x.mp3") }, QStringLiteral("--in {Filename}"),
            { QStringLiteral("--in"), QStringLiteral("{Filename}") } },
        { {}, QStringLiteral("{filename}"), {} },
        // A quoted template and names that look like options or hold quotes.
        { { QStringLiteral("/A/take --output=evil.sh .mp3"), withQuote, QStringLiteral("/A/Grüße 日本.mp3") },
            QStringLiteral("\"{filename}\""),
            { QStringLiteral("/A/take --output=evil.sh .mp3"), withQuote, QStringLiteral("/A/Grüße 日本.mp3") } },
    };
    for (const auto &c : cases) {
        setSlot(1, recorder, QString(), c.parameters);
        form.SelectedFilesList = c.selection;
        form.ToolButton1Click();
        EXPECT_EQ(recorded(), c.expected) << c.parameters.toStdString();
    }
}

TEST_F(LaunchTest, UnusableSlotShowsTheInformationBoxAndStartsNothing)
{
    TFormMain &form = createBoth();
    const struct
    {
        const char *what;
        std::function<void(const QString &)> spoil;
    } cases[] = {
        { "deleted", [](const QString &path) { QFile::remove(path); } },
        { "not executable",
            [](const QString &path) { QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner); } },
    };
    for (const auto &c : cases) {
        const QString recorder = executable(QStringLiteral("bin/rec"), kRecorder);
        setSlot(3, recorder);
        form.DisplayOpenWithButtons();
        const QString caption = form.ToolButton3->text();
        c.spoil(recorder);

        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        auto *timer = new QTimer(&form);
        QObject::connect(timer, &QTimer::timeout, timer, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                timer->stop();
                title = box->windowTitle();
                text = box->text();
                icon = box->icon();
                buttons = box->standardButtons();
                box->accept();
            }
        });
        timer->start(10);
        form.SelectedFilesList = { QStringLiteral("/A/x.mp3") };
        form.ToolButton3->click();
        delete timer;

        EXPECT_EQ(form.ToolButton3->text(), caption) << c.what << ": the button still shows the old application";
        EXPECT_EQ(title, QStringLiteral("Information")) << c.what;
        EXPECT_EQ(text,
            QStringLiteral("No application specified or the application could not be found. Please specify "
                           "the applications in settings."))
            << c.what;
        EXPECT_EQ(icon, QMessageBox::Information) << c.what;
        EXPECT_EQ(buttons, QMessageBox::Ok) << c.what;
        // The message is what the button does instead of starting anything.
        EXPECT_FALSE(QFile::exists(m_record)) << c.what;

        // Rebuilt, the toolbar no longer offers it.
        form.DisplayOpenWithButtons();
        EXPECT_EQ(form.ToolButton3->text(), QStringLiteral("No app. specified  ")) << c.what;
        EXPECT_EQ(TFormMain::ToolButtonImageIndex(form.ToolButton3), 0) << c.what;
        QFile::remove(recorder);
    }
}

TEST_F(LaunchTest, EditsLeftByATitleBarCloseAreLaunched)
{
    TFormMain &form = createBoth();
    const QString saved = executable(QStringLiteral("bin/saved"), kRecorder);
    const QString edited = executable(QStringLiteral("bin/edited"),
        "#!/bin/sh\nprintf 'edited\\0' > \"$VANTREL_RECORD.part\"; mv \"$VANTREL_RECORD.part\" \"$VANTREL_RECORD\"\n");
    setSlot(1, saved);
    FormSettings->ButtonOKClick();
    FormSettings->EditApp1->setText(edited); // as a title-bar close leaves it
    form.ToolButton1Click();
    EXPECT_EQ(recorded(), QStringList { QStringLiteral("edited") });
    EXPECT_EQ(form.ToolButton1->text(), QStringLiteral(" saved ")) << "the toolbar shows the saved application";
}

} // namespace
