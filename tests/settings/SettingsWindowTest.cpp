#include "MainWindowTestSupport.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "bass.h"
#include "support/TempDir.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The main window and the settings window, created as start-up does.
class SettingsWindowTest : public MainWindowTest
{
protected:
    void TearDown() override
    {
        FormSettings = nullptr;
        m_settings.reset();
        MainWindowTest::TearDown();
    }

    TFormSettings &createSettings()
    {
        if (!m_form)
            createWindow();
        // The browser hint would pop up modally in the middle of these tests.
        ShowTreeViewHint = false;
        m_form->TimerStartup->stop();
        m_settings = std::make_unique<TFormSettings>(m_form.get());
        FormSettings = m_settings.get();
        return *m_settings;
    }

    // Runs action once the next modal window is up, then gives it to done.
    static void whenModal(std::function<void(QWidget *)> done)
    {
        auto *timer = new QTimer(qApp);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, done] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                timer->stop();
                timer->deleteLater();
                done(modal);
            }
        });
        timer->start(10);
    }

    QStringList deviceNames() const
    {
        QStringList names;
        BASS_DEVICEINFO info {};
        for (DWORD i = 0; BASS_GetDeviceInfo(i, &info); ++i)
            names.append(QString::fromUtf8(info.name));
        return names;
    }

    std::unique_ptr<TFormSettings> m_settings;
    TempDir m_dir;
};

TEST_F(SettingsWindowTest, ControlsCaptionsAndRanges)
{
    TFormSettings &s = createSettings();
    EXPECT_FALSE(s.isVisible()) << "created hidden";
    // Layouts place their children when the window is shown.
    s.show();
    QApplication::processEvents();
    EXPECT_EQ(s.windowTitle(), QStringLiteral("Settings"));
    EXPECT_EQ(s.size(), QSize(522, 578));
    EXPECT_EQ(s.minimumSize(), s.maximumSize()) << "not resizable";
    EXPECT_EQ(s.GroupBoxSettings->title(), QStringLiteral(" Settings: "));
    EXPECT_EQ(s.GroupBoxApps->title(), QStringLiteral(" Open with applications: "));
    EXPECT_EQ(s.GroupBoxThumbnails->title(), QStringLiteral(" Audio thumbnails: "));
    EXPECT_EQ(s.GroupBox1->title(), QStringLiteral(" Audio device: "));
    EXPECT_EQ(s.GroupBox2->title(), QStringLiteral(" User interface: "));
    EXPECT_EQ(s.ButtonOK->text(), QStringLiteral("OK"));
    EXPECT_EQ(s.ButtonCancel->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(s.ButtonOK->geometry(), QRect(358, 545, 75, 25));
    EXPECT_EQ(s.GroupBoxApps->geometry(), QRect(8, 20, 505, 274));
    EXPECT_EQ(s.EditApp2->geometry().topLeft(), QPoint(71, 105));
    EXPECT_EQ(s.ImageApp3->geometry(), QRect(17, 186, 48, 48));
    EXPECT_EQ(s.SpinEditThumbWidth->minimum(), 32);
    EXPECT_EQ(s.SpinEditThumbWidth->maximum(), 10000);
    EXPECT_EQ(s.SpinEditThumbHeight->minimum(), 32);
    EXPECT_EQ(s.SpinEditThumbHeight->maximum(), 10000);
    EXPECT_EQ(s.SpinEditThumbWidth->value(), 400);
    EXPECT_EQ(s.SpinEditThumbHeight->value(), 100);
    QStringList scaling;
    for (int i = 0; i < s.ComboBoxDisplayScaling->count(); ++i)
        scaling.append(s.ComboBoxDisplayScaling->itemText(i));
    EXPECT_EQ(scaling,
        (QStringList { QStringLiteral("As Windows (Default)"), QStringLiteral("100%"), QStringLiteral("125%"),
            QStringLiteral("150%"), QStringLiteral("175%"), QStringLiteral("200%") }));
    EXPECT_EQ(s.ComboBoxDisplayScaling->toolTip(), QStringLiteral("Select display scaling factor."));
    EXPECT_EQ(s.ComboBoxAudioDevice->maxVisibleItems(), 32);
    EXPECT_FALSE(s.ComboBoxAudioDevice->isEditable());
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(s.EditApp(n)->text(), QStringLiteral("Select an application..."));
        EXPECT_EQ(s.EditAppName(n)->text(), QString());
        EXPECT_EQ(s.EditAppParameters(n)->text(), QStringLiteral("{filename}"));
        EXPECT_FALSE(s.ImageApp(n)->pixmap().isNull()) << "question mark for a missing application";
    }
    for (QPushButton *b : s.findChildren<QPushButton *>()) {
        if (!s.OpenDialog1 || !s.OpenDialog1->isAncestorOf(b)) {
            EXPECT_FALSE(b->autoDefault() || b->isDefault()) << b->objectName().toStdString();
        }
    }
    for (QWidget *w : s.findChildren<QWidget *>()) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QStringLiteral("qt_"))
            && (!s.OpenDialog1 || !s.OpenDialog1->isAncestorOf(w))) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    }
}

TEST_F(SettingsWindowTest, HintsShowInTheMainWindowsStatusBar)
{
    TFormSettings &s = createSettings();
    QStatusTipEvent tip(s.ComboBoxDisplayScaling->statusTip());
    QApplication::sendEvent(s.ComboBoxDisplayScaling, &tip);
    EXPECT_EQ(m_form->StatusPanel0->text(), QStringLiteral("Select display scaling factor."));
}

TEST_F(SettingsWindowTest, DevicesAreListedInOrderAndEntryOneIsSelected)
{
    TFormSettings &s = createSettings();
    // Listing starts the sound system: it waits for the start-up worker or
    // for the window to open.
    EXPECT_FALSE(s.AudioDevicesListed()) << "not listed at creation";
    s.show();
    EXPECT_TRUE(s.AudioDevicesListed()) << "listed when the window opens";
    s.hide();
    const QStringList names = deviceNames();
    ASSERT_GE(names.size(), 2) << "the audio library lists no-sound and the default output at least";
    ASSERT_EQ(s.ComboBoxAudioDevice->count(), names.size());
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(s.ComboBoxAudioDevice->itemText(i), names[i]);
    EXPECT_EQ(s.ComboBoxAudioDevice->currentIndex(), 1);
}

TEST_F(SettingsWindowTest, LoadsEveryKeyAndSavesThemWithTheWindowKeys)
{
    const QStringList names = deviceNames();
    ASSERT_GE(names.size(), 2);
    writeSetting(QStringLiteral("Settings"), QStringLiteral("Application 2"), QStringLiteral("/opt/tools/editor"));
    writeSetting(QStringLiteral("Settings"), QStringLiteral("Application 2 name"), QStringLiteral("Ed"));
    writeSetting(
        QStringLiteral("Settings"), QStringLiteral("Application 3 parameters"), QStringLiteral("-x {filename}"));
    writeSetting(QStringLiteral("Display"), QStringLiteral("Thumbnail width"), QStringLiteral("640"));
    writeSetting(QStringLiteral("Display"), QStringLiteral("Thumbnail height"), QStringLiteral("20000"));
    writeSetting(QStringLiteral("Display"), QStringLiteral("Scaling"), QStringLiteral("0x78"));
    writeSetting(QStringLiteral("Audio"), QStringLiteral("Device name"), names[0].toUpper());

    TFormSettings &s = createSettings();
    s.ListAudioDevices();
    EXPECT_EQ(s.EditApp1->text(), QStringLiteral("Select an application..."));
    EXPECT_EQ(s.EditApp2->text(), QStringLiteral("/opt/tools/editor"));
    EXPECT_EQ(s.EditApp2Name->text(), QStringLiteral("Ed"));
    EXPECT_EQ(s.EditApp3Parameters->text(), QStringLiteral("-x {filename}"));
    EXPECT_EQ(s.EditApp1Parameters->text(), QStringLiteral("{filename}"));
    EXPECT_EQ(s.SpinEditThumbWidth->value(), 640);
    EXPECT_EQ(s.SpinEditThumbHeight->value(), 10000) << "a stored value is brought into range";
    EXPECT_EQ(s.ComboBoxDisplayScaling->currentIndex(), 2) << "0x78 is 120";
    EXPECT_EQ(s.ComboBoxAudioDevice->currentIndex(), 0) << "names match without regard to case";

    s.EditApp1->setText(QStringLiteral("/usr/bin/true"));
    s.EditApp1Name->setText(QStringLiteral("True & False"));
    s.SpinEditThumbWidth->setValue(77);
    s.ComboBoxDisplayScaling->setCurrentIndex(5);
    s.ComboBoxAudioDevice->setCurrentIndex(1);
    m_form->setWindowState(Qt::WindowNoState);
    m_form->setGeometry(120, 60, 1300, 750);
    s.ButtonOKClick();

    EXPECT_EQ(
        readSetting(QStringLiteral("Settings"), QStringLiteral("Application 1")), QStringLiteral("/usr/bin/true"));
    EXPECT_EQ(
        readSetting(QStringLiteral("Settings"), QStringLiteral("Application 1 name")), QStringLiteral("True & False"));
    EXPECT_EQ(readSetting(QStringLiteral("Settings"), QStringLiteral("Application 2 parameters")),
        QStringLiteral("{filename}"));
    EXPECT_EQ(readSetting(QStringLiteral("Display"), QStringLiteral("Thumbnail width")), QStringLiteral("77"));
    EXPECT_EQ(readSetting(QStringLiteral("Display"), QStringLiteral("Thumbnail height")), QStringLiteral("10000"));
    EXPECT_EQ(readSetting(QStringLiteral("Display"), QStringLiteral("Scaling")), QStringLiteral("192"));
    EXPECT_EQ(readSetting(QStringLiteral("Audio"), QStringLiteral("Device name")), names[1]);
    EXPECT_EQ(readSetting(QStringLiteral("Window"), QStringLiteral("State")), QStringLiteral("1"));
    EXPECT_EQ(readSetting(QStringLiteral("Window"), QStringLiteral("X")), QString::number(m_form->geometry().x()));
    EXPECT_EQ(readSetting(QStringLiteral("Window"), QStringLiteral("Width")), QStringLiteral("1300"));
    EXPECT_TRUE(m_errors.isEmpty());
    // The file stays UTF-16 with its byte-order mark.
    EXPECT_TRUE(TempDir::readAll(m_settingsPath).startsWith(QByteArray("\xFF\xFE", 2)));
}

TEST_F(SettingsWindowTest, SavingBeforeTheDevicesAreListedKeepsTheStoredDevice)
{
    writeSetting(QStringLiteral("Audio"), QStringLiteral("Device name"), QStringLiteral("USB headset"));
    TFormSettings &s = createSettings();
    ASSERT_FALSE(s.AudioDevicesListed());
    s.ButtonOKClick();
    EXPECT_EQ(readSetting(QStringLiteral("Audio"), QStringLiteral("Device name")), QStringLiteral("USB headset"));
    // A list that arrives later still picks the stored device, or row 1.
    s.SetAudioDevices({ QStringLiteral("No sound"), QStringLiteral("Default"), QStringLiteral("usb HEADSET") });
    EXPECT_EQ(s.ComboBoxAudioDevice->currentIndex(), 2);
    s.SetAudioDevices({ QStringLiteral("No sound") });
    EXPECT_EQ(s.ComboBoxAudioDevice->count(), 3) << "a second list is ignored";
}

TEST_F(SettingsWindowTest, MaximizedMainWindowWritesStateZeroAndNoBounds)
{
    TFormSettings &s = createSettings();
    m_form->setWindowState(Qt::WindowMaximized);
    s.ButtonOKClick();
    EXPECT_EQ(readSetting(QStringLiteral("Window"), QStringLiteral("State")), QStringLiteral("0"));
    EXPECT_EQ(readSetting(QStringLiteral("Window"), QStringLiteral("X")), QStringLiteral("<missing>"));
}

TEST_F(SettingsWindowTest, UnknownScalingOrDeviceKeepTheDefaults)
{
    writeSetting(QStringLiteral("Display"), QStringLiteral("Scaling"), QStringLiteral("130"));
    writeSetting(QStringLiteral("Audio"), QStringLiteral("Device name"), QStringLiteral("A device that went away"));
    TFormSettings &s = createSettings();
    s.ListAudioDevices();
    EXPECT_EQ(s.ComboBoxDisplayScaling->currentIndex(), 0);
    EXPECT_EQ(s.ComboBoxAudioDevice->currentIndex(), 1);
    s.ButtonOKClick();
    EXPECT_EQ(readSetting(QStringLiteral("Display"), QStringLiteral("Scaling")), QStringLiteral("0"));
}

TEST_F(SettingsWindowTest, SpinEditsClampWhenTheyLoseTheFocus)
{
    TFormSettings &s = createSettings();
    s.show();
    QApplication::setActiveWindow(&s);
    const struct
    {
        const char *typed;
        int value;
    } cases[] = { { "5", 32 }, { "20000", 10000 }, { "640", 640 }, { "", 32 } };
    for (const auto &c : cases) {
        s.SpinEditThumbWidth->setFocus();
        s.SpinEditThumbWidth->selectAll();
        QTest::keyClick(s.SpinEditThumbWidth, Qt::Key_Delete);
        QTest::keyClicks(s.SpinEditThumbWidth, QString::fromLatin1(c.typed));
        s.SpinEditThumbHeight->setFocus();
        EXPECT_EQ(s.SpinEditThumbWidth->value(), c.value) << c.typed;
        EXPECT_EQ(s.SpinEditThumbWidth->text(), QString::number(c.value)) << c.typed;
    }
    s.SpinEditThumbWidth->setFocus();
    s.SpinEditThumbWidth->selectAll();
    QTest::keyClicks(s.SpinEditThumbWidth, QStringLiteral("abc"));
    EXPECT_EQ(s.SpinEditThumbWidth->text(), QStringLiteral("32")) << "letters are refused";
    s.hide();
}

TEST_F(SettingsWindowTest, CancelPutsBackEveryValueFromTheFile)
{
    writeSetting(QStringLiteral("Settings"), QStringLiteral("Application 1"), QStringLiteral("/opt/a"));
    writeSetting(QStringLiteral("Display"), QStringLiteral("Scaling"), QStringLiteral("144"));
    TFormSettings &s = createSettings();
    s.ListAudioDevices();
    const int devices = s.ComboBoxAudioDevice->count();
    for (int n = 1; n <= 3; ++n) {
        s.EditApp(n)->setText(QStringLiteral("changed"));
        s.EditAppName(n)->setText(QStringLiteral("changed"));
        s.EditAppParameters(n)->setText(QStringLiteral("changed"));
    }
    s.SpinEditThumbWidth->setValue(999);
    s.SpinEditThumbHeight->setValue(999);
    s.ComboBoxDisplayScaling->setCurrentIndex(5);
    s.ComboBoxAudioDevice->setCurrentIndex(0);
    s.ButtonCancelClick();
    EXPECT_EQ(s.EditApp1->text(), QStringLiteral("/opt/a"));
    EXPECT_EQ(s.EditApp2->text(), QStringLiteral("Select an application..."));
    EXPECT_EQ(s.EditApp3Name->text(), QString());
    // Parameters without a stored value keep what the field holds.
    EXPECT_EQ(s.EditApp2Parameters->text(), QStringLiteral("changed"));
    EXPECT_EQ(s.SpinEditThumbWidth->value(), 400);
    EXPECT_EQ(s.SpinEditThumbHeight->value(), 100);
    EXPECT_EQ(s.ComboBoxDisplayScaling->currentIndex(), 3);
    EXPECT_EQ(s.ComboBoxAudioDevice->currentIndex(), 1);
    EXPECT_EQ(s.ComboBoxAudioDevice->count(), devices) << "the list is not rebuilt";
    EXPECT_EQ(readSetting(QStringLiteral("Settings"), QStringLiteral("Application 2")), QStringLiteral("<missing>"));
}

TEST_F(SettingsWindowTest, TitleBarCloseKeepsTheEditsWithoutSaving)
{
    TFormSettings &s = createSettings();
    whenModal([&s](QWidget *modal) {
        EXPECT_EQ(modal, &s);
        s.EditApp1->setText(QStringLiteral("/edited/path"));
        QTest::keyClick(&s, Qt::Key_Escape); // means nothing here
        EXPECT_TRUE(s.isVisible());
        s.close();
    });
    m_form->ShowFormSettings();
    EXPECT_FALSE(s.isVisible());
    EXPECT_EQ(s.EditApp1->text(), QStringLiteral("/edited/path"));
    EXPECT_EQ(readSetting(QStringLiteral("Settings"), QStringLiteral("Application 1")), QStringLiteral("<missing>"));
}

TEST_F(SettingsWindowTest, PickingAnApplicationFillsPathIconAndName)
{
    const QString tool = m_dir.write(QStringLiteral("Tools/my.editor.sh"), "#!/bin/sh\n");
    QFile::setPermissions(tool, QFile::permissions(tool) | QFile::ExeOwner);
    m_dir.write(QStringLiteral("Tools/readme.txt"), "not an application");
    const QString entry = m_dir.write(
        QStringLiteral("Tools/player.desktop"), "[Desktop Entry]\nType=Application\nName=Sound Player\nExec=player\n");
    TFormSettings &s = createSettings();
    s.EditApp1Name->setText(QStringLiteral("typed before"));

    whenModal([tool](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        ASSERT_NE(dialog, nullptr);
        // The file name field holds the path field's text; type over it once
        // the folder, which the dialog lists in the background, is listed.
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), QStringLiteral("Select an application..."));
        dialog->setDirectory(QFileInfo(tool).absolutePath());
        const auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([view] { return view->model()->rowCount(view->rootIndex()) == 2; }, 10000))
            << "the executable and the .desktop file are listed, the text file is not";
        name->setText(tool);
        if (dialog->selectedFiles() != QStringList { tool }) {
            ADD_FAILURE() << "the dialog did not take the file";
            dialog->reject();
            return;
        }
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog's own accept() is protected
    });
    s.ButtonApp1Click();
    EXPECT_EQ(s.EditApp1->text(), tool);
    EXPECT_EQ(s.EditApp1Name->text(), QStringLiteral("my.editor"));
    EXPECT_FALSE(s.ImageApp1->pixmap().isNull()) << "a program without an icon of its own shows the generic picture";

    // A desktop entry is named as menus name it, not after its file.
    const auto pick = [&](const QString &path) {
        whenModal([path](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            ASSERT_NE(dialog, nullptr);
            dialog->selectFile(path);
            static_cast<QDialog *>(dialog)->accept();
        });
        s.ButtonApp1Click();
    };
    pick(entry);
    EXPECT_EQ(s.EditApp1->text(), entry);
    EXPECT_EQ(s.EditApp1Name->text(), QStringLiteral("Sound Player"));
    pick(tool);
    ASSERT_EQ(s.EditApp1->text(), tool);

    // Cancelling changes nothing.
    whenModal([](QWidget *modal) { static_cast<QDialog *>(modal)->reject(); });
    s.EditApp1Name->setText(QStringLiteral("kept"));
    s.ButtonApp1Click();
    EXPECT_EQ(s.EditApp1->text(), tool);
    EXPECT_EQ(s.EditApp1Name->text(), QStringLiteral("kept"));

    // Loaded from the file, the same path still has a picture.
    s.ButtonOKClick();
    s.LoadSettings();
    EXPECT_FALSE(s.ImageApp1->pixmap().isNull());
}

// A picker taken to a folder of odd entries and read by a screen reader, then
// cancelled, leaves nothing behind that reacts to later changes in that
// folder: a hidden picker's model re-sorted under the cells the screen reader
// had asked for, and the program crashed.
TEST_F(SettingsWindowTest, ACancelledPickerLeavesNothingWatchingTheFolderItVisited)
{
    const QString odd = m_dir.mkdir(QStringLiteral("Odd"));
    const QByteArray oddPath = QFile::encodeName(odd);
    ASSERT_EQ(::symlink(".", QByteArray(oddPath + "/loop").constData()), 0);
    ASSERT_EQ(::mkfifo(QByteArray(oddPath + "/x.wav").constData(), 0600), 0);
    m_dir.write(QStringLiteral("Odd/empty.wav"), {});
    m_dir.write(QStringLiteral("Odd/locked.wav"), "RIFF");
    QFile::setPermissions(odd + QStringLiteral("/locked.wav"), QFileDevice::Permissions());
    {
        QFile notUtf8(QFile::decodeName(oddPath + "/caf\xe9.mp3"));
        ASSERT_TRUE(notUtf8.open(QIODevice::WriteOnly));
        QFile sparse(odd + QStringLiteral("/huge.flac"));
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
        ASSERT_TRUE(sparse.resize(qint64(4) << 30));
    }
    for (int i = 0; i < 20; ++i) {
        const QString tool = m_dir.write(QStringLiteral("Odd/tool%1.sh").arg(i), "#!/bin/sh\n");
        QFile::setPermissions(tool, QFile::permissions(tool) | QFile::ExeOwner);
    }
    TFormSettings &s = createSettings();

    bool listed = false;
    whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(odd);
        auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
        ASSERT_NE(view, nullptr);
        listed = QTest::qWaitFor([view] { return view->model()->rowCount(view->rootIndex()) >= 20; }, 10000);
        // What a screen reader does: ask for the list's cells, which then hold
        // indexes into the picker's model.
        view->setFocus();
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(view);
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < list->childCount(); ++i) {
            if (QAccessibleInterface *cell = list->child(i))
                (void)cell->text(QAccessible::Name);
        }
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_End);
        QTest::keyClick(view, Qt::Key_Home);
        dialog->reject();
    });
    s.ButtonApp1Click();
    EXPECT_TRUE(listed);
    EXPECT_EQ(s.OpenDialog1, nullptr);
    EXPECT_TRUE(s.findChildren<QFileDialog *>().isEmpty()) << "the picker outlived its pick";

    // The folder changes afterwards: created, renamed, deleted. Once this
    // test's own watcher has seen it, so has any model still watching.
    QFileSystemWatcher watcher({ odd });
    QSignalSpy changed(&watcher, &QFileSystemWatcher::directoryChanged);
    m_dir.write(QStringLiteral("Odd/new.sh"), "#!/bin/sh\n");
    ASSERT_TRUE(QFile::rename(odd + QStringLiteral("/tool1.sh"), odd + QStringLiteral("/renamed.sh")));
    ASSERT_TRUE(QFile::remove(odd + QStringLiteral("/tool2.sh")));
    EXPECT_TRUE(changed.wait(10000));
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();

    // A second pick starts afresh and still works.
    whenModal([](QWidget *modal) { static_cast<QDialog *>(modal)->reject(); });
    s.ButtonApp1Click();
    EXPECT_TRUE(s.findChildren<QFileDialog *>().isEmpty());
}

TEST_F(SettingsWindowTest, UnwritableFileReportsAndKeepsTheWindowOpen)
{
    TFormSettings &s = createSettings();
    m_form->DisplayOpenWithButtons();
    const QString before = m_form->ToolButton1->text();
    // A folder where the file should be: no write succeeds, not even as root.
    QFile::remove(m_settingsPath);
    ASSERT_TRUE(QDir().mkpath(m_settingsPath));
    s.EditApp1->setText(QStringLiteral("/usr/bin/true"));
    whenModal([&s](QWidget *) {
        s.ButtonOKClick();
        EXPECT_TRUE(s.isVisible()) << "the window stays open";
        s.close();
    });
    s.exec();
    ASSERT_EQ(m_errors.size(), 1);
    EXPECT_EQ(m_errors.first(), QStringLiteral("Unable to write to ") + m_settingsPath);
    EXPECT_EQ(m_form->ToolButton1->text(), before) << "the toolbar is not rebuilt";
}

} // namespace
