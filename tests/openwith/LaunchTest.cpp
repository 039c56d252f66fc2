#include "OpenWithFixture.h"

#include "app/OpenWithLauncher.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

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

TEST(FilesCmdLine, QuotesEachFileAndEndsWithABlank)
{
    EXPECT_EQ(FilesCmdLine({}), QString());
    EXPECT_EQ(FilesCmdLine({QStringLiteral("/a/x.mp3"), QStringLiteral("/b/y z.wav")}),
        QStringLiteral("\"/a/x.mp3\" \"/b/y z.wav\" "));
    // A quote inside a path is tripled, which the argument splitting reads as one.
    EXPECT_EQ(FilesCmdLine({QStringLiteral("/a/say \"hi\".mp3")}), QStringLiteral("\"/a/say \"\"\"hi\"\"\".mp3\" "));
}

TEST(ApplyParametersTemplate, ReplacesOnlyTheFirstExactPlaceholder)
{
    const QString files = QStringLiteral("\"/a.mp3\" ");
    const struct
    {
        const char *in;
        const char *out;
    } cases[] = {
        {"{filename}", "\"/a.mp3\" "},
        {"-x {filename}-y {filename}", "-x \"/a.mp3\" -y {filename}"},
        {"{FileName}", "{FileName}"},
        {"--play", "--play"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ApplyParametersTemplate(QString::fromLatin1(c.in), files), QString::fromLatin1(c.out)) << c.in;
}

TEST_F(LaunchTest, DesktopEntriesRunTheirExecLine)
{
    const QString recorder = executable(QStringLiteral("bin/rec"), kRecorder);
    const struct
    {
        QByteArray exec;
        QString program;
        QStringList arguments;
    } cases[] = {
        {"\"" + recorder.toUtf8() + "\" --new %F", recorder, {QStringLiteral("--new"), QStringLiteral("/a b.mp3")}},
        {"rec --at=100%% %U --tail", QStringLiteral("rec"),
            {QStringLiteral("--at=100%"), QStringLiteral("/a b.mp3"), QStringLiteral("--tail")}},
        {"rec %i %c", QStringLiteral("rec"), {QStringLiteral("/a b.mp3")}},
    };
    for (const auto &c : cases) {
        const QString entry = m_dir.write(QStringLiteral("app.desktop"), "[Desktop Entry]\nType=Application\nExec=" + c.exec + "\n");
        const LaunchCommand command = BuildLaunchCommand(entry, QStringLiteral("\"/a b.mp3\" "));
        EXPECT_EQ(command.program, c.program) << c.exec.constData();
        EXPECT_EQ(command.arguments, c.arguments) << c.exec.constData();
    }

    // And started for real through its Exec line.
    TFormMain &form = createBoth();
    const QString entry = m_dir.write(QStringLiteral("rec.desktop"),
        "[Desktop Entry]\nType=Application\nExec=\"" + recorder.toUtf8() + "\" --files %F\n");
    setSlot(2, entry);
    form.SelectedFilesList = {QStringLiteral("/music/one.flac")};
    form.ToolButton2Click();
    EXPECT_EQ(recorded(), (QStringList{QStringLiteral("--files"), QStringLiteral("/music/one.flac")}));
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
        {{QStringLiteral("/A/x.mp3"), withBlanks}, QStringLiteral("{filename}"), {QStringLiteral("/A/x.mp3"), withBlanks}},
        {{withQuote, trailingQuote}, QStringLiteral("{filename}"), {withQuote, trailingQuote}},
        {{QStringLiteral("/A/x.mp3")}, QStringLiteral("--in {filename}--again {filename}"),
            {QStringLiteral("--in"), QStringLiteral("/A/x.mp3"), QStringLiteral("--again"), QStringLiteral("{filename}")}},
        {{QStringLiteral("/A/x.mp3")}, QStringLiteral("--in {Filename}"), {QStringLiteral("--in"), QStringLiteral("{Filename}")}},
        {{}, QStringLiteral("{filename}"), {}},
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
    const QString recorder = executable(QStringLiteral("bin/rec"), kRecorder);
    setSlot(3, recorder);
    form.DisplayOpenWithButtons();
    const QString caption = form.ToolButton3->text();
    QFile::remove(recorder);

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
    form.SelectedFilesList = {QStringLiteral("/A/x.mp3")};
    form.ToolButton3->click();

    EXPECT_EQ(form.ToolButton3->text(), caption) << "the button still shows the old application";
    EXPECT_EQ(title, QStringLiteral("Information"));
    EXPECT_EQ(text, QStringLiteral("No application specified or the application could not be found. Please specify the "
                                   "applications in settings."));
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(buttons, QMessageBox::Ok);
    EXPECT_FALSE(QFile::exists(m_record));
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
    EXPECT_EQ(recorded(), QStringList{QStringLiteral("edited")});
    EXPECT_EQ(form.ToolButton1->text(), QStringLiteral(" saved ")) << "the toolbar shows the saved application";
}

} // namespace
