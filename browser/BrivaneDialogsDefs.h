#pragma once

#include "browser/BrivaneDialogsBinding.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

class QFileDialog;

// Visual styles the dialog library knows by name.
enum TBDStyle : std::uint8_t {
    bdsWindows,
    bdsAmakrits,
    bdsAmethystKamri,
    bdsAquaGraphite,
    bdsAquaLightSlate,
    bdsAuric,
    bdsCarbon,
    bdsCharcoalDarkSlate,
    bdsCobaltXEMedia,
    bdsCyanDusk,
    bdsCyanNight,
    bdsEmeraldLightSlate,
    bdsGlossy,
    bdsGlow,
    bdsGoldenGraphite,
    bdsIcebergClassico,
    bdsLavenderClassico,
    bdsLight,
    bdsLuna,
    bdsObsidian,
    bdsOnyxBlue,
    bdsRubyGraphite,
    bdsSapphireKamri,
    bdsSilver,
    bdsSky,
    bdsSlateClassico,
    bdsSmokeyQuartzKamri,
    bdsTabletDark,
    bdsTabletLight,
    bdsTurquoiseGray,
    bdsWindows10,
    bdsWindows10Blue,
    bdsWindows10Dark,
    bdsWindows10Green,
    bdsWindows10Purple,
    bdsWindows10SlateGray,
};

// The library's name of a style; empty for a value outside the table.
QString BDStyleName(TBDStyle style);

// The GUID as text in braces with upper-case hexadecimal digits.
QString GUIDToString(const TBDGUID &guid);
// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (either case). Throws
// VantrelError for any other text.
TBDGUID StringToGUID(const QString &text);

// The key-store key the library and the fallback share for one dialog.
QString BrivaneDialogsSettingsKey(const QString &guidText);

// What the fallback remembers per dialog.
struct TBrivaneDialogsLastSettings
{
    QString Folder;
    std::int32_t FilterIndex = 0;
};

// The dialog component's binding: all five entry points or none.
BrivaneDialogsBinding &BrivaneDialogsDefsBinding();
void LoadBrivaneDialogsDefs();
void FreeBrivaneDialogsDefs();

// A non-visual component that shows an open, save or folder dialog drawn by
// the dialog library, or Qt's standard dialog of the same kind when the
// library is absent. Without the library it remembers the last folder and
// filter per dialog in the key store the library uses too.
class TBrivaneDialog : public QObject
{
    Q_OBJECT

public:
    using TBrivaneDialogOnSelectFileNameEvent
        = std::function<void(TBrivaneDialog *Sender, const QString &FileName, void *PIDL)>;
    using TBrivaneDialogOnSelectFileNamesEvent
        = std::function<void(TBrivaneDialog *Sender, const QStringList &FileNames, void *PIDL)>;

    explicit TBrivaneDialog(QObject *AOwner = nullptr);
    ~TBrivaneDialog() override;

    // Shows the dialog; true when the user confirmed. Errors raised by the
    // event handlers during the dialog surface here, after it closed.
    bool Execute();
    // True when the component's binding has the library.
    bool LoadBrivaneDialogsLibrary();
    // The standard dialog of DialogType; errors inside are swallowed.
    bool CallDefWinDialog();
    void FreeTOpenDialogResults(TOpenDialogResults *Struct);
    // The library's own settings window; false without the library.
    bool Settings();
    // The name of Style, kept alive until the next call.
    const char16_t *GetUseStyle();

    TBVDialogType DialogType() const { return fDialogType; }
    void setDialogType(TBVDialogType value) { fDialogType = value; }
    QString DefaultExt() const { return fDefaultExt; }
    void setDefaultExt(const QString &value) { fDefaultExt = value; }
    QString FileName() const { return fFileName; }
    void setFileName(const QString &value) { fFileName = value; }
    QString Filter() const { return fFilter; }
    void setFilter(const QString &value) { fFilter = value; }
    std::int32_t FilterIndex() const { return Results.FilterIndex; }
    void setFilterIndex(std::int32_t value);
    QString InitialDir() const { return fInitialDir; }
    void setInitialDir(const QString &value) { fInitialDir = value; }
    QString Path() const { return fPath; }
    TOpenOptions Options() const { return fOptions; }
    void setOptions(TOpenOptions value) { fOptions = value; }
    TOpenOptionsEx OptionsEx() const { return fOptionsEx; }
    void setOptionsEx(TOpenOptionsEx value) { fOptionsEx = value; }
    QString DialogTitle() const { return fTitle; }
    void setDialogTitle(const QString &value) { fTitle = value; }
    QString DialogGUID() const { return GUIDToString(fGUID); }
    void setDialogGUID(const QString &value) { fGUID = StringToGUID(value); }
    TBDStyle Style() const { return FStyle; }
    void setStyle(TBDStyle value) { FStyle = value; }
    std::uint32_t UIDPIScaling() const { return FUIDPIScaling; }
    void setUIDPIScaling(std::uint32_t value) { FUIDPIScaling = value; }
    const QStringList &Files() const { return fFiles; }

    TBrivaneDialogOnSelectFileNameEvent OnSelectFileName;
    TBrivaneDialogOnSelectFileNamesEvent OnSelectFileNames;

    TOpenDialogParams Params {};
    TOpenDialogResults Results {};
    // The library window's handle from its last report.
    std::uint64_t BrivaneDialogHandle = 0;

    // The standard dialogs, made only when the library is absent and a dialog
    // of their kind is shown; owned by the component.
    QFileDialog *DefWinOpenDialog = nullptr;
    QFileDialog *DefWinSaveDialog = nullptr;

private:
    static std::uint32_t HookProc(BDWindowHandle Wnd, std::uint32_t Msg, std::uint64_t wParam, std::int64_t lParam);
    void HandleEvent(std::uint32_t Msg, std::uint64_t wParam);
    void TakeSelection(const TOpenDialogResults *selection);
    bool RunFileDialog(QFileDialog *dialog, const TBrivaneDialogsLastSettings &last);
    bool RunFolderBrowser(const TBrivaneDialogsLastSettings &last);
    void CreateDefWinDialogs();

    QString fDefaultExt, fFileName, fFilter, fInitialDir, fPath, fTitle;
    TOpenOptions fOptions = 0;
    TOpenOptionsEx fOptionsEx = 0;
    TBVDialogType fDialogType = bvdtOpenDialog;
    QStringList fFiles;
    TBDGUID fGUID {};
    TBDStyle FStyle = bdsWindows;
    std::u16string FUsedStyleString;
    std::uint32_t FUIDPIScaling = 0;
    std::u16string FUIDPIScalingString;

    // Copies of the texts handed to the library: they must not change under
    // it while the dialog runs, even when an event handler sets a property.
    QString m_callDefaultExt, m_callFileName, m_callFilter, m_callInitialDir, m_callTitle;
    // The style record and its name live until the dialog has returned; the
    // library may read them for as long as the dialog exists.
    std::unique_ptr<TOpenDialogAppearance> m_appearance;
    std::u16string m_appearanceStyle;
    // The first error raised inside an event handler during a dialog.
    std::exception_ptr m_hookError;
};
