// Questions of a copy or move, answered as a person would: real pointer
// clicks and key presses (xdotool) on a real X server with openbox stacking
// the windows. The offscreen platform has no stacking, so a question covered
// by the progress window passes there unseen. Started by under-openbox.sh.
#include "CopyMoveTestSupport.h"
#include "app/FileOperationDialogs.h"
#include "app/Globals.h"
#include "app/UnitMain.h"
#include "app/VantrelApplication.h"
#include "browser/BrivaneDialogsDefs.h"
#include "browser/BrowserTestSupport.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

namespace {

// Longer than the progress window's delay: the question has been open when
// the window would have come.
constexpr int kQuestionOpenMs = 900;

bool xdotool(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

void realClick(QWidget *widget)
{
    const QPoint at = widget->mapToGlobal(widget->rect().center());
    EXPECT_TRUE(xdotool({ QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(at.x()),
        QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1") }));
}

void realKey(const QString &key)
{
    EXPECT_TRUE(xdotool({ QStringLiteral("key"), key }));
}

QWidget *visibleWindow(const QString &objectName)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == objectName && window->isVisible())
            return window;
    }
    return nullptr;
}

// The questions an operation is expected to ask, in order. Each is answered
// only after it has been open for kQuestionOpenMs; what the step saw is
// checked by the test afterwards.
class QuestionScript : public QObject
{
public:
    struct Step
    {
        QString window;
        std::function<void(QWidget *)> answer;
    };

    explicit QuestionScript(std::vector<Step> steps)
        : m_steps(std::move(steps))
    {
        connect(&m_timer, &QTimer::timeout, this, &QuestionScript::poll);
        m_timer.start(10);
        m_clock.start();
    }

    int answered() const { return m_answered; }
    // Names of windows that were active while a question was waiting, and of
    // progress windows seen over a question.
    QStringList problems;
    QStringList questionTexts;

private:
    void poll()
    {
        if (m_busy || m_answered >= int(m_steps.size()))
            return;
        const Step &step = m_steps[std::size_t(m_answered)];
        QWidget *question = visibleWindow(step.window);
        if (!question) {
            m_openSince.invalidate();
            if (m_clock.elapsed() > 30000)
                m_timer.stop();
            return;
        }
        if (!m_openSince.isValid())
            m_openSince.start();
        if (m_openSince.elapsed() < kQuestionOpenMs)
            return;
        m_busy = true;
        if (visibleWindow(QStringLiteral("FormFileOperationProgress")))
            problems.append(QStringLiteral("progress window shown over ") + step.window);
        if (QApplication::activeWindow() != question)
            problems.append(step.window + QStringLiteral(" does not have the keyboard"));
        if (auto *label = question->findChild<QLabel *>(QStringLiteral("LabelQuestion")))
            questionTexts.append(label->accessibleName());
        else if (auto *box = qobject_cast<QMessageBox *>(question))
            questionTexts.append(box->text());
        ++m_answered;
        m_openSince.invalidate();
        step.answer(question);
        m_busy = false;
    }

    std::vector<Step> m_steps;
    QTimer m_timer;
    QElapsedTimer m_clock;
    QElapsedTimer m_openSince;
    int m_answered = 0;
    bool m_busy = false;
};

class CopyMoveUnderWindowManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs an X server with a window manager: run through under-openbox.sh";
        DisplayScale = 96;
        FreeBrivaneDialogsDefs();
        ShowTreeViewHint = false;
        form = std::make_unique<TFormMain>();
        form->ToolButton4->setChecked(true);
        form->ToolButton4Click();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void TearDown() override { form.reset(); }

    QString source(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(QStringLiteral("music/") + name);
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }

    // Presses the row's Copy button for real; returns once the operation is
    // over. The click is handled inside one of these waits, which returns
    // only when the operation's own event loop has ended.
    void copyInto(const QString &folder)
    {
        form->EditFolder1->setText(folder);
        QTest::qWait(50);
        realClick(form->Button2);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 60000) {
            QTest::qWait(50);
            if (done() && !QApplication::activeModalWidget()
                && !visibleWindow(QStringLiteral("FormFileOperationProgress")))
                break;
        }
    }

    std::function<bool()> done;
    TempDir home;
    PrivateHome privateHome { home.filePath(QStringLiteral("home")) };
    TempDir dir;
    std::unique_ptr<TFormMain> form;
};

TEST_F(CopyMoveUnderWindowManagerTest, ConflictsAreAnsweredByClicksAndKeysWhileTheProgressWindowWaits)
{
    const QString folder = dir.mkdir(QStringLiteral("target"));
    QStringList names;
    for (int i = 1; i <= 4; ++i) {
        const QString name = QStringLiteral("song%1.mp3").arg(i);
        names.append(name);
        source(name, "incoming");
        ASSERT_TRUE(writeFile(folder + QLatin1Char('/') + name, "existing"));
        form->SelectedFilesList.append(dir.filePath(QStringLiteral("music/") + name));
    }
    QuestionScript script({
        { QStringLiteral("FormFileConflict"),
            [](QWidget *q) { realClick(q->findChild<QPushButton *>(QStringLiteral("ButtonReplace"))); } },
        // Enter takes the default answer, which never replaces.
        { QStringLiteral("FormFileConflict"), [](QWidget *) { realKey(QStringLiteral("Return")); } },
        { QStringLiteral("FormFileConflict"),
            [](QWidget *q) {
                realClick(q->findChild<QCheckBox *>(QStringLiteral("CheckBoxApplyToAll")));
                realClick(q->findChild<QPushButton *>(QStringLiteral("ButtonKeepBoth")));
            } },
    });
    done = [&] { return script.answered() == 3; };
    copyInto(folder);

    EXPECT_EQ(script.answered(), 3);
    EXPECT_TRUE(script.problems.isEmpty()) << script.problems.join(u';').toStdString();
    ASSERT_EQ(script.questionTexts.size(), 3);
    EXPECT_TRUE(script.questionTexts.at(0).contains(QStringLiteral("\"song1.mp3\"")))
        << script.questionTexts.at(0).toStdString();
    EXPECT_EQ(readFile(folder + QStringLiteral("/song1.mp3")), QByteArray("incoming"));
    EXPECT_EQ(readFile(folder + QStringLiteral("/song2.mp3")), QByteArray("existing"));
    for (const QString &name : { QStringLiteral("song3"), QStringLiteral("song4") }) {
        EXPECT_EQ(readFile(folder + QLatin1Char('/') + name + QStringLiteral(".mp3")), QByteArray("existing"));
        EXPECT_EQ(readFile(folder + QLatin1Char('/') + name + QStringLiteral(" (2).mp3")), QByteArray("incoming"));
    }
    EXPECT_EQ(entriesOf(folder).size(), 6) << entriesOf(folder).join(u',').toStdString();
    EXPECT_FALSE(QApplication::activeModalWidget());
}

TEST_F(CopyMoveUnderWindowManagerTest, CancelOnAConflictEndsTheOperation)
{
    const QString folder = dir.mkdir(QStringLiteral("target"));
    for (const QString &name : { QStringLiteral("a.mp3"), QStringLiteral("b.mp3") }) {
        form->SelectedFilesList.append(source(name, "incoming"));
        ASSERT_TRUE(writeFile(folder + QLatin1Char('/') + name, "existing"));
    }
    QuestionScript script({ { QStringLiteral("FormFileConflict"),
        [](QWidget *q) { realClick(q->findChild<QPushButton *>(QStringLiteral("ButtonCancel"))); } } });
    done = [&] { return script.answered() == 1; };
    copyInto(folder);

    EXPECT_EQ(script.answered(), 1);
    EXPECT_TRUE(script.problems.isEmpty()) << script.problems.join(u';').toStdString();
    EXPECT_EQ(readFile(folder + QStringLiteral("/a.mp3")), QByteArray("existing"));
    EXPECT_EQ(readFile(folder + QStringLiteral("/b.mp3")), QByteArray("existing"));
    EXPECT_EQ(entriesOf(folder).size(), 2) << entriesOf(folder).join(u',').toStdString();
    EXPECT_FALSE(visibleWindow(QStringLiteral("FileOperationErrorBox")));
}

TEST_F(CopyMoveUnderWindowManagerTest, FullDiskErrorIsAnsweredByAClickAndNamesTheFolder)
{
    // A full disk needs a small file system of its own (root only); as an
    // ordinary user a folder without write permission fails just as early.
    QString folder = dir.mkdir(QStringLiteral("target"));
    bool mounted = false;
    if (::geteuid() == 0) {
        mounted = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=1m") == 0;
        ASSERT_TRUE(mounted);
    } else {
        ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    form->SelectedFilesList = { source(QStringLiteral("big.flac"), patternBytes(4 * 1024 * 1024, 1)) };
    if (mounted)
        form->SelectedFilesList.append(source(QStringLiteral("small.mp3"), "small"));
    QuestionScript script({ { QStringLiteral("FileOperationErrorBox"),
        [](QWidget *q) { realClick(q->findChild<QPushButton *>(QStringLiteral("ButtonSkip"))); } } });
    done = [&] { return script.answered() == 1; };
    copyInto(folder);

    EXPECT_EQ(script.answered(), 1);
    EXPECT_TRUE(script.problems.isEmpty()) << script.problems.join(u';').toStdString();
    ASSERT_EQ(script.questionTexts.size(), 1);
    const QString text = script.questionTexts.front();
    EXPECT_TRUE(text.startsWith(QStringLiteral("\"big.flac\" could not be copied."))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("folder \"") + folder + u'"')) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral(".part-"))) << text.toStdString();
    // Skipped, not stopped: the next file arrives, and no part of the big one stays.
    EXPECT_EQ(entriesOf(folder), mounted ? QStringList { QStringLiteral("small.mp3") } : QStringList {});
    if (mounted)
        ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
    else
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace
