#pragma once

#include "platform/Result.h"

#include <QDialog>
#include <QSpinBox>

#include <memory>

class QComboBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// A whole-number field that accepts any number while typing and brings it
// into its range when it loses the focus: 5 becomes the minimum, anything
// above the maximum the maximum, text that is no number the minimum.
class TSpinEdit : public QSpinBox
{
public:
    explicit TSpinEdit(QWidget *parent = nullptr);

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
};

// The settings window: the three open-with applications, the audio
// thumbnails' size, the audio device and the display scaling. Created once
// and hidden; its controls are the program's live store of these values, read
// by the toolbar, the launcher, the audio output and the browser.
class TFormSettings : public QDialog
{
    Q_OBJECT

public:
    explicit TFormSettings(QWidget *parent = nullptr);

    // Lists the audio library's output devices into ComboBoxAudioDevice and
    // selects the stored one, unless the list is there already: it is made
    // once, by the start-up worker's listing (SetAudioDevices) or, when the
    // window opens sooner, here.
    void ListAudioDevices();
    // Fills the device list from names, once; a later list is ignored, so a
    // choice the user made in an open window stays.
    void SetAudioDevices(const QStringList &names);
    bool AudioDevicesListed() const { return m_audioDevicesListed; }
    // The device name the settings file holds; empty when none is stored.
    QString StoredAudioDevice() const { return m_storedAudioDevice; }
    void LoadSettings();
    // Fails with "Cannot create file ..." or "Unable to write to %s" when the
    // file cannot be made or written.
    platform::Result<> SaveSettings();

    void ButtonApp1Click();
    void ButtonApp2Click();
    void ButtonApp3Click();
    void ButtonOKClick();
    void ButtonCancelClick();

    // Slot n (1..3) fields, for the toolbar and the launcher.
    QLineEdit *EditApp(int n) const;
    QLineEdit *EditAppName(int n) const;
    QLineEdit *EditAppParameters(int n) const;
    QLabel *ImageApp(int n) const;

    QGroupBox *GroupBoxSettings = nullptr;
    QGroupBox *GroupBoxApps = nullptr;
    QGroupBox *GroupBoxThumbnails = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QLabel *ImageApp1 = nullptr;
    QLabel *ImageApp2 = nullptr;
    QLabel *ImageApp3 = nullptr;
    QLineEdit *EditApp1 = nullptr;
    QLineEdit *EditApp2 = nullptr;
    QLineEdit *EditApp3 = nullptr;
    QPushButton *ButtonApp1 = nullptr;
    QPushButton *ButtonApp2 = nullptr;
    QPushButton *ButtonApp3 = nullptr;
    QLineEdit *EditApp1Name = nullptr;
    QLineEdit *EditApp2Name = nullptr;
    QLineEdit *EditApp3Name = nullptr;
    QLineEdit *EditApp1Parameters = nullptr;
    QLineEdit *EditApp2Parameters = nullptr;
    QLineEdit *EditApp3Parameters = nullptr;
    TSpinEdit *SpinEditThumbWidth = nullptr;
    TSpinEdit *SpinEditThumbHeight = nullptr;
    QComboBox *ComboBoxAudioDevice = nullptr;
    QComboBox *ComboBoxDisplayScaling = nullptr;
    QPushButton *ButtonOK = nullptr;
    QPushButton *ButtonCancel = nullptr;
    // The application picker while a pick is open; made for each pick.
    QFileDialog *OpenDialog1 = nullptr;
    std::unique_ptr<QFileDialog> ApplicationDialog();

protected:
    bool event(QEvent *event) override;
    // The device list is made at the latest when the window opens.
    void showEvent(QShowEvent *event) override;
    // Escape does not close the window. (The title-bar button closes it
    // without saving and without reloading: the edits stay in the fields,
    // where launching reads them.)
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
    void CreateControls();
    void CreateAppsGroup();
    void CreateThumbnailsGroup();
    void CreateDeviceAndScalingGroups();
    void PickApplication(int n);
    void RefreshApplicationIcons();
    void SelectStoredAudioDevice();

    QString m_storedAudioDevice;
    bool m_audioDevicesListed = false;
};
