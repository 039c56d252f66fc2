// The main window's details list: filling, clipboard copies and saving, with
// the real library (or, built with DETAILS_VIEW_STUB / DETAILS_VIEW_NO_LIBRARY,
// with a stand-in that returns chosen reports, or with none at all).
#include "DetailsFixtures.h"
#include "QtPrinting.h"
#include "app/Globals.h"
#include "app/UnitMain.h"
#include "app/VantrelApplication.h"
#include "details/DetailsTextForm.h"
#include "details/MediaInfoDll.h"
#include "details/MediaInfoLibraryFunctions.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

class DetailsView : public testing::Test
{
protected:
    void SetUp() override
    {
#if defined(DETAILS_VIEW_STUB)
        InitializeMediaInfoLibraryFunctions(QStringLiteral("libmediainfo_stub.so"));
#elif defined(DETAILS_VIEW_NO_LIBRARY)
        InitializeMediaInfoLibraryFunctions(QStringLiteral("libmediainfo-not-here.so.0"));
#else
        InitializeMediaInfoLibraryFunctions();
#endif
        DisplayScale = 96;
        // The modal start-up hint must not open over the list under test.
        ShowTreeViewHint = false;
        VantrelApplication::setErrorReporter([this](const QString &message) { m_errors.append(message); });
        m_form = std::make_unique<TFormMain>();
        FormMain = m_form.get();
        QGuiApplication::clipboard()->setText(QStringLiteral("clipboard before"));
    }

    void TearDown() override
    {
        FormMain = nullptr;
        m_form.reset();
        VantrelApplication::setErrorReporter({});
    }

    // Focuses a file as the browser does and waits until its details are
    // shown: an ordinary file fills the list at once, but a busy machine may
    // take the reader past its same-frame budget.
    void showDetails(const QString &file)
    {
        m_form->DisplayFileDetails(file);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !m_form->DetailsPending(); }, 20000)) << file.toStdString();
    }

    QTreeWidget *view() const
    {
        return m_form->ListViewDetails;
    }

    QStringList textForm() const
    {
        QStringList list;
        TFormMain::GetDetialsList(list, view());
        return list;
    }

    QStringList topLevelTexts() const
    {
        QStringList texts;
        for (int i = 0; i < view()->topLevelItemCount(); ++i)
            texts.append(view()->topLevelItem(i)->text(0));
        return texts;
    }

    // Selects the row with this name, searching groups' children too.
    void selectRow(const QString &name)
    {
        const QList<QTreeWidgetItem *> found = view()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive, 0);
        ASSERT_FALSE(found.isEmpty()) << name.toStdString();
        view()->clearSelection();
        found.first()->setSelected(true);
    }

    // Runs a menu item the way a click does: from the event loop, so what
    // it throws reaches the application's error handler.
    void runMenuItem(QAction *action)
    {
        QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
        // Delivered now and only this call, through the application's notify().
        QCoreApplication::sendPostedEvents(action, QEvent::MetaCall);
    }

    // Runs "Save Complete List To File..." and answers its dialog with Path
    // (or cancels when Path is empty). Returns the name the dialog proposed.
    QString saveThroughDialog(const QString &path)
    {
        QFileDialog *dialog = m_form->DetailsSaveDialog();
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        // Whatever goes wrong, nothing lands outside the test's own folder.
        dialog->setDirectory(m_dialogFolder.path());
        QString proposed;
        bool answered = false;
        QObject timerScope; // no answer outlives this call
        std::function<void()> answer = [&] {
            if (!dialog->isVisible()) {
                QTimer::singleShot(10, &timerScope, answer);
                return;
            }
            proposed = QFileInfo(dialog->selectedFiles().value(0)).fileName();
            m_shownFolder = dialog->directory().absolutePath();
            m_shownFilter = dialog->selectedNameFilter();
            answered = true;
            if (path.isEmpty()) {
                dialog->reject();
            } else {
                // As a user types a full path into the name field.
                auto *nameEdit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                if (!nameEdit) {
                    ADD_FAILURE() << "no name field in the save dialog";
                    dialog->reject();
                    return;
                }
                nameEdit->setText(path);
                static_cast<QDialog *>(dialog)->accept();
            }
        };
        QTimer::singleShot(0, &timerScope, answer);
        runMenuItem(m_form->SaveCompleteListToFile1);
        EXPECT_TRUE(answered);
        return proposed;
    }

    // The window shown and active, as keyboard shortcuts need it.
    void showWindow()
    {
        m_form->setWindowState(Qt::WindowNoState);
        m_form->show();
        m_form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
    }

    std::unique_ptr<TFormMain> m_form;
    QStringList m_errors;
    TempDir m_dialogFolder;
    // What the save dialog showed when it was answered.
    QString m_shownFolder;
    QString m_shownFilter;
};

#if !defined(DETAILS_VIEW_STUB) && !defined(DETAILS_VIEW_NO_LIBRARY)

TEST_F(DetailsView, ShowsGroupsWithTheirRowsAndTextFormMatchesRead)
{
    const QString file = mp3WithCover();
    showDetails(file);
    EXPECT_EQ(
        topLevelTexts(), QStringList({ QStringLiteral("General"), QStringLiteral("Audio"), QStringLiteral("Image") }));
    const QTreeWidgetItem *general = view()->topLevelItem(0);
    ASSERT_GT(general->childCount(), 3);
    EXPECT_TRUE(general->isExpanded());
    EXPECT_TRUE(general->isFirstColumnSpanned());
    EXPECT_EQ(general->child(0)->text(0), QStringLiteral("Complete name"));
    EXPECT_EQ(general->child(0)->text(1), file);
    EXPECT_EQ(textForm(), programTextForm(file));
    EXPECT_TRUE(m_errors.isEmpty());
}

TEST_F(DetailsView, EveryRowsTipHoldsItsWholeNameAndValue)
{
    const QString file = mp3WithCover();
    showDetails(file);
    QTextDocument document;
    int rows = 0;
    for (int group = 0; group < view()->topLevelItemCount(); ++group) {
        const QTreeWidgetItem *caption = view()->topLevelItem(group);
        EXPECT_TRUE(caption->toolTip(0).isEmpty()) << "a group caption is short";
        for (int i = 0; i < caption->childCount(); ++i, ++rows) {
            const QTreeWidgetItem *row = caption->child(i);
            EXPECT_EQ(row->toolTip(0), row->toolTip(1));
            // What the reader sees: the name, then the value, whole, with
            // only invisible break chances added.
            document.setHtml(row->toolTip(1));
            const QString shown
                = document.toPlainText().remove(QChar(0x200B)).replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
            const QString expected = row->text(0) + QLatin1Char('\n') + row->text(1);
            EXPECT_EQ(shown, expected);
        }
    }
    EXPECT_GT(rows, 10);
}

TEST_F(DetailsView, SecondFocusLeavesNoneOfTheFirstFilesGroups)
{
    showDetails(mp3WithCover());
    ASSERT_TRUE(topLevelTexts().contains(QStringLiteral("Image")));
    const QString second = debianSound();
    showDetails(second);
    EXPECT_EQ(topLevelTexts(), QStringList({ QStringLiteral("General"), QStringLiteral("Audio") }));
    EXPECT_EQ(textForm(), programTextForm(second));
    // Focusing the same file again rebuilds the same view.
    showDetails(second);
    EXPECT_EQ(textForm(), programTextForm(second));
}

TEST_F(DetailsView, CopiesKeepColonsAndNonAsciiLetters)
{
    showDetails(mp3WithCover());
    const QString title = QString::fromUtf16(u"Ünïcödé: Tïtle — 東京");

    runMenuItem(m_form->CopyValueToClipboard1);
    runMenuItem(m_form->CopyNameAndValueToClipboard1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("clipboard before")) << "no row selected";

    selectRow(QStringLiteral("Track name"));
    runMenuItem(m_form->CopyValueToClipboard1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), title);
    runMenuItem(m_form->CopyNameAndValueToClipboard1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Track name: ") + title);

    runMenuItem(m_form->CopyAllToClipboard1);
    const QString all = QGuiApplication::clipboard()->text();
    EXPECT_EQ(all, JoinDetailsLines(programTextForm(mp3WithCover())));
    EXPECT_TRUE(all.startsWith(QStringLiteral("General\r\nComplete name: ")));
    EXPECT_TRUE(all.endsWith(QStringLiteral("\r\n\r\n")));
    EXPECT_TRUE(all.contains(QStringLiteral("\r\nTrack name: ") + title + QStringLiteral("\r\n")));
    EXPECT_TRUE(m_errors.isEmpty());
}

TEST_F(DetailsView, GroupHeaderIsNotARowToCopy)
{
    showDetails(debianSound());
    view()->topLevelItem(0)->setSelected(true);
    view()->setCurrentItem(view()->topLevelItem(0));
    runMenuItem(m_form->CopyValueToClipboard1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("clipboard before"));
}

TEST_F(DetailsView, SavesTextFormUnderProposedName)
{
    const QString file = mp3WithCover();
    m_form->FocusedFileName = file;
    showDetails(file);
    TempDir dir;
    // A name typed without an extension gets ".txt".
    const QString proposed = saveThroughDialog(dir.filePath(QStringLiteral("saved")));
    EXPECT_EQ(proposed, QFileInfo(file).fileName() + QStringLiteral(" details.txt"));
    EXPECT_EQ(
        TempDir::readAll(dir.filePath(QStringLiteral("saved.txt"))), JoinDetailsLines(programTextForm(file)).toUtf8());
    EXPECT_TRUE(m_errors.isEmpty());
}

TEST_F(DetailsView, SaveDialogOpensBesideTheAudioFileWithTheTextFilterFirst)
{
    TempDir audioFolder;
    const QString file = audioFolder.filePath(QStringLiteral("bell.oga"));
    ASSERT_TRUE(QFile::copy(debianSound(), file));
    m_form->FocusedFileName = file;
    showDetails(file);
    // The dialog was last somewhere else (saveThroughDialog points it at a
    // folder of its own before the menu item runs).
    saveThroughDialog(QString());
    EXPECT_EQ(m_shownFolder, QDir(audioFolder.path()).absolutePath());
    EXPECT_EQ(m_shownFilter, QStringLiteral("Text files (*.txt)"));
    EXPECT_EQ(m_form->DetailsSaveDialog()->nameFilters().value(0), QStringLiteral("Text files (*.txt)"));
}

TEST_F(DetailsView, KeysCopyTheRowTheWholeListAndSave)
{
    const QString file = debianSound();
    m_form->FocusedFileName = file;
    showDetails(file);
    showWindow();
    view()->setFocus();
    selectRow(QStringLiteral("Format"));
    const QTreeWidgetItem *row = view()->selectedItems().value(0);
    ASSERT_NE(row, nullptr);

    QTest::keyClick(view(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Format: ") + row->text(1));

    QTest::keyClick(view(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), JoinDetailsLines(programTextForm(file)));

    // Ctrl+S opens the save dialog; answering it writes the list.
    TempDir dir;
    QFileDialog *dialog = m_form->DetailsSaveDialog();
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    QObject timerScope;
    bool answered = false;
    std::function<void()> answer = [&] {
        if (!dialog->isVisible()) {
            QTimer::singleShot(10, &timerScope, answer);
            return;
        }
        answered = true;
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
            ->setText(dir.filePath(QStringLiteral("keys.txt")));
        static_cast<QDialog *>(dialog)->accept();
    };
    QTimer::singleShot(0, &timerScope, answer);
    QTest::keyClick(view(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(answered);
    EXPECT_EQ(
        TempDir::readAll(dir.filePath(QStringLiteral("keys.txt"))), JoinDetailsLines(programTextForm(file)).toUtf8());
    EXPECT_TRUE(m_errors.isEmpty());
}

TEST_F(DetailsView, CancelledSaveWritesNothing)
{
    showDetails(debianSound());
    saveThroughDialog(QString());
    EXPECT_TRUE(QDir(m_dialogFolder.path()).isEmpty());
    EXPECT_TRUE(m_errors.isEmpty());
}

TEST_F(DetailsView, FailedSaveReportsPathAndKeepsView)
{
    showDetails(debianSound());
    const QStringList before = textForm();
    TempDir dir;
    const QString blocked = dir.write(QStringLiteral("a file"), "x") + QStringLiteral("/details.txt");
    saveThroughDialog(blocked);
    ASSERT_EQ(m_errors.size(), 1);
    EXPECT_TRUE(m_errors.first().contains(blocked)) << m_errors.first().toStdString();
    EXPECT_EQ(textForm(), before);
}

#endif

#if defined(DETAILS_VIEW_STUB)

using ResetFn = void (*)(const wchar_t *);

void setStubReport(const wchar_t *report)
{
    const auto reset = reinterpret_cast<ResetFn>(dlsym(MediaInfoDll::libraryHandle(), "Stub_Reset"));
    ASSERT_NE(reset, nullptr);
    reset(report);
}

TEST_F(DetailsView, RowsBeforeFirstHeadingAreShownButNotExported)
{
    setStubReport(
        L"Orphan : first\r\n\r\nGeneral\r\nA    : 1:2:3\r\n  : nameless\r\n\r\nMenu\r\n\r\nAudio\r\nB : x\r\n");
    showDetails(QStringLiteral("/stub.mp3"));
    ASSERT_EQ(view()->topLevelItemCount(), 4);
    EXPECT_EQ(view()->topLevelItem(0)->text(0), QStringLiteral("Orphan"));
    EXPECT_EQ(view()->topLevelItem(0)->text(1), QStringLiteral("first"));
    EXPECT_EQ(view()->topLevelItem(1)->child(0)->text(1), QStringLiteral("1:2:3"));
    EXPECT_EQ(textForm(),
        QStringList({ QStringLiteral("General"), QStringLiteral("A: 1:2:3"), QStringLiteral(": nameless"), QString(),
            QStringLiteral("Menu"), QString(), QStringLiteral("Audio"), QStringLiteral("B: x"), QString() }));
    // The row without a group is still a row to copy.
    selectRow(QStringLiteral("Orphan"));
    runMenuItem(m_form->CopyNameAndValueToClipboard1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Orphan: first"));
}

TEST_F(DetailsView, UnmappableCharacterIsReplacedInFileOnlyAndEmptyViewSavesZeroBytes)
{
    // A lone surrogate cannot come from a file's tags but can from a broken
    // report; the clipboard keeps it, the 8-bit file marks it.
    m_form->FocusedFileName = QStringLiteral("/music/a.b.flac");
    setStubReport(L"General\nTitle : x\n");
    showDetails(QStringLiteral("/stub.flac"));
    QTreeWidgetItem *title = view()->topLevelItem(0)->child(0);
    title->setText(1, QStringLiteral("x") + QChar(0xDC01) + QStringLiteral("y"));
    selectRow(QStringLiteral("Title"));
    runMenuItem(m_form->CopyValueToClipboard1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("x") + QChar(0xDC01) + QStringLiteral("y"));
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    EXPECT_EQ(saveThroughDialog(path), QStringLiteral("a.b.flac details.txt"));
    EXPECT_EQ(TempDir::readAll(path), QByteArray("General\r\nTitle: x?y\r\n\r\n"));

    setStubReport(L"");
    showDetails(QStringLiteral("/unreadable.flac"));
    EXPECT_EQ(view()->topLevelItemCount(), 0);
    const QString empty = dir.filePath(QStringLiteral("empty.txt"));
    saveThroughDialog(empty);
    ASSERT_TRUE(QFileInfo::exists(empty));
    EXPECT_EQ(QFileInfo(empty).size(), 0);
    runMenuItem(m_form->CopyAllToClipboard1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());
    EXPECT_TRUE(m_errors.isEmpty());
}

// One report after another, each shaped differently from the one before:
// every caption spans its row, is open when it has rows and takes no
// selection, every other row is a plain selectable row, whatever stood at its
// place before.
TEST_F(DetailsView, RefillsKeepCaptionsAndRowsApart)
{
    const struct
    {
        const wchar_t *report;
        int orphans; // rows before the first heading, shown first
        QStringList topLevel;
    } fills[] = {
        { L"General\nA : 1\nB : 2\n\nAudio\nC : 3\n\nText\nD : 4\n", 0,
            { QStringLiteral("General"), QStringLiteral("Audio"), QStringLiteral("Text") } },
        { L"Orphan : x\nOther : y\n\nGeneral\nA : 1\n", 2,
            { QStringLiteral("Orphan"), QStringLiteral("Other"), QStringLiteral("General") } },
        { L"General\nA : 1\nB : 2\nE : 5\nF : 6\n\nAudio\n\nMenu\nG : 7\n\nImage\nH : 8\n", 0,
            { QStringLiteral("General"), QStringLiteral("Audio"), QStringLiteral("Menu"), QStringLiteral("Image") } },
        { L"General\nA : 1\n", 0, { QStringLiteral("General") } },
    };
    for (const auto &fill : fills) {
        const std::string label = QString::fromWCharArray(fill.report).toStdString();
        setStubReport(fill.report);
        showDetails(QStringLiteral("/stub.flac"));
        EXPECT_EQ(topLevelTexts(), fill.topLevel) << label;
        EXPECT_TRUE(view()->selectedItems().isEmpty()) << label;
        EXPECT_EQ(view()->currentItem(), nullptr) << label;
        for (int i = 0; i < view()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = view()->topLevelItem(i);
            const bool caption = i >= fill.orphans;
            EXPECT_EQ(item->isFirstColumnSpanned(), caption) << label << " row " << i;
            EXPECT_EQ(item->isExpanded(), caption && item->childCount() > 0) << label << " row " << i;
            EXPECT_EQ(bool(item->flags() & Qt::ItemIsSelectable), !caption) << label << " row " << i;
            EXPECT_EQ(item->data(0, Qt::ForegroundRole).isValid(), caption) << label << " row " << i;
            for (int r = 0; r < item->childCount(); ++r) {
                const QTreeWidgetItem *row = item->child(r);
                EXPECT_FALSE(row->isFirstColumnSpanned()) << label;
                EXPECT_TRUE(row->flags() & Qt::ItemIsSelectable) << label;
                EXPECT_FALSE(row->data(0, Qt::ForegroundRole).isValid()) << label;
            }
        }
        // A selection the next report must not keep.
        selectRow(QStringLiteral("A"));
        view()->setCurrentItem(view()->selectedItems().value(0));
    }
    EXPECT_EQ(textForm(), QStringList({ QStringLiteral("General"), QStringLiteral("A: 1"), QString() }));
}

// Counts the paints a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// A fill holds the list's repaints while it works and asks for one at its
// end, so every new report reaches the screen.
TEST_F(DetailsView, ListRepaintsAfterEveryFill)
{
    showWindow();
    PaintCounter counter(view()->viewport());
    for (const wchar_t *report : { L"General\nA : 1\n", L"General\nA : 2\n\nAudio\nB : 3\n", L"" }) {
        setStubReport(report);
        QCoreApplication::processEvents();
        const int before = counter.paints;
        showDetails(QStringLiteral("/stub.flac"));
        EXPECT_TRUE(view()->viewport()->updatesEnabled());
        EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > before; }))
            << QString::fromWCharArray(report).toStdString();
    }
}

// The list's header and rows are as tall as a plain list's with the same font
// and contents, before and after the font changes.
TEST_F(DetailsView, HeaderAndRowsFollowTheFont)
{
    setStubReport(L"General\nFormat : FLAC\nDuration : 1 s\n\nAudio\nChannels : 2\n");
    QTreeWidget plain;
    plain.setColumnCount(2);
    plain.setHeaderLabels({ view()->headerItem()->text(0), view()->headerItem()->text(1) });
    plain.setUniformRowHeights(true);
    auto *caption = new QTreeWidgetItem(QStringList { QStringLiteral("General") });
    caption->addChild(new QTreeWidgetItem(QStringList { QStringLiteral("Format"), QStringLiteral("FLAC") }));
    plain.addTopLevelItem(caption);
    plain.expandAll();
    plain.show();
    showWindow();
    for (const int pixels : { 11, 23 }) {
        QFont font = view()->font();
        font.setPixelSize(pixels);
        view()->setFont(font);
        plain.setFont(font);
        showDetails(QStringLiteral("/stub.flac"));
        QCoreApplication::processEvents();

        EXPECT_EQ(view()->header()->height(), plain.header()->height()) << pixels;
        const QTreeWidgetItem *general = view()->topLevelItem(0);
        ASSERT_NE(general, nullptr);
        ASSERT_GT(general->childCount(), 0);
        EXPECT_EQ(view()->visualItemRect(general).height(), plain.visualItemRect(caption).height()) << pixels;
        EXPECT_EQ(view()->visualItemRect(general->child(0)).height(), plain.visualItemRect(caption->child(0)).height())
            << pixels;
    }
}

#endif

#if defined(DETAILS_VIEW_NO_LIBRARY)

TEST_F(DetailsView, WithoutLibraryFocusEmptiesViewSilently)
{
    view()->addTopLevelItem(new QTreeWidgetItem(QStringList { QStringLiteral("Earlier"), QStringLiteral("contents") }));
    showDetails(QStringLiteral("/usr/share/sounds/freedesktop/stereo/bell.oga"));
    EXPECT_EQ(view()->topLevelItemCount(), 0);
    EXPECT_TRUE(m_errors.isEmpty());
    // Before any focus the proposed name is the bare suffix.
    TempDir dir;
    EXPECT_EQ(saveThroughDialog(dir.filePath(QStringLiteral("x.txt"))), QStringLiteral(" details.txt"));
    EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("x.txt"))).size(), 0);
}

#endif

} // namespace
