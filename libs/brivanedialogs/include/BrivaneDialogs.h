#pragma once

// The C interface of libBrivaneDialogs.so: records, option bits, event codes,
// window messages and the five entry points. The host loads the library by
// name (dlopen "libBrivaneDialogs.so") and resolves the entry points with
// dlsym; nothing else is shared between the two sides.
//
// Conventions
// - Texts are zero-terminated UTF-16 (char16_t) strings passed by address.
// - A window handle is a std::uintptr_t holding the address of a QWidget in
//   the same process; window messages are sent with
//   platform::sendWindowMessage (libs/platform/include/platform/WindowMessage.h).
// - Every entry point and every hook call runs on the GUI thread.

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Basic types

using BDWindowHandle = std::uintptr_t;
using BDBool = std::int32_t; // 32-bit Boolean: 0 false, anything else true

struct TBDGUID
{
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
static_assert(sizeof(TBDGUID) == 16);

// ---------------------------------------------------------------------------
// Option sets: bit n is set when the option of ordinal n is in the set.

using TOpenOptions = std::uint32_t;

enum TOpenOption : std::uint32_t {
    ofReadOnly = 1u << 0,
    ofOverwritePrompt = 1u << 1,
    ofHideReadOnly = 1u << 2,
    ofNoChangeDir = 1u << 3,
    ofShowHelp = 1u << 4,
    ofNoValidate = 1u << 5,
    ofAllowMultiSelect = 1u << 6,
    ofExtensionDifferent = 1u << 7,
    ofPathMustExist = 1u << 8,
    ofFileMustExist = 1u << 9,
    ofCreatePrompt = 1u << 10,
    ofShareAware = 1u << 11,
    ofNoReadOnlyReturn = 1u << 12,
    ofNoTestFileCreate = 1u << 13,
    ofNoNetworkButton = 1u << 14,
    ofNoDereferenceLinks = 1u << 15,
    ofEnableIncludeNotify = 1u << 16,
    ofDontAddToRecent = 1u << 17,
    ofForceShowHidden = 1u << 18,
    ofNotModal = 1u << 19,
    ofNoClose = 1u << 20,
    ofIntegrate = 1u << 21,
    ofStayOnTop = 1u << 22,
    ofNoCloseButton = 1u << 23,
    ofOnSelectFilename = 1u << 24,
    ofCompatibilityMode = 1u << 25,
    ofCustomFileInfo = 1u << 26,
    ofCustomThumbnail = 1u << 27,
    ofCustomPreViewer = 1u << 28,
    ofInitialFolderIsPIDL = 1u << 29,
    ofReturnPIDLs = 1u << 30,
    ofBrowseArchives = 1u << 31,
};

using TOpenOptionsEx = std::uint16_t;

enum TOpenOptionEx : std::uint16_t {
    ofExNoPlacesBar = 1u << 0,
    ofExNoStatusBar = 1u << 1,
    ofExNoDrivesFavsRecents = 1u << 2,
    ofExNoFileName = 1u << 3,
    ofExNoFilter = 1u << 4,
    ofExNoToolBar = 1u << 5,
    ofExNoAddToFavs = 1u << 6,
    ofExNoTreeViewAndToolBar = 1u << 7,
    ofExNoPathAndFilter = 1u << 8,
    ofExNoTextButtons = 1u << 9,
    ofExNoOpenButtons = 1u << 10,
    ofExShellOpen = 1u << 11,
};

enum TBVDialogType : std::uint8_t {
    bvdtOpenDialog = 0,
    bvdtSaveDialog = 1,
    bvdtFolderDialog = 2,
};
static_assert(sizeof(TBVDialogType) == 1);

// ---------------------------------------------------------------------------
// Hooks

// Event hook. Wnd is a window of the library, Msg the event code, lParam the
// address of the TOpenDialogParams record that opened the dialog. The host
// returns 1 for every event.
using OFNHookProc = std::uint32_t (*)(BDWindowHandle Wnd, std::uint32_t Msg, std::uint64_t wParam, std::int64_t lParam);
// Declared for the record layout; the library never calls them when null.
using BDFileInfoHookProc = BDBool (*)(const char16_t *FileName, void *PIDL, char16_t **FileInfo, void *User);
using BDFileThumbnailHookProc = BDBool (*)(const char16_t *FileName, void *PIDL, std::int32_t Width,
    std::int32_t Height, std::uintptr_t *Bitmap, std::int64_t *OriginalWidth, std::int64_t *OriginalHeight, void *User);

// ---------------------------------------------------------------------------
// Records

// Style record, pointed to by TOpenDialogParams::Appearance. Colours are
// 32-bit values; the library uses only VCLStyleTheme as a hint and may ignore it.
struct TOpenDialogAppearance
{
    std::uint32_t UIColor;
    std::uint32_t UIFontColor;
    std::uint32_t ListerBckgColor;
    std::uint32_t ListerFontColor;
    BDBool ListerGridLines;
    std::uint32_t ListerHeaderGradientTopColor;
    std::uint32_t ListerHeaderGradientBottomColor;
    std::uint32_t ListerHeaderBrightColor;
    std::uint32_t ListerHeaderDarkColor;
    std::uint32_t ListerHeaderFontColor;
    std::uint8_t ListerSelectionAlpha;
    std::uint8_t Padding1[3];
    std::uint32_t ListerSelectionGradientTopColor;
    std::uint32_t ListerSelectionGradientBottomColor;
    std::uint32_t ListerSelectionFrameColor;
    std::uint8_t ListerHotTrackAlpha;
    std::uint8_t Padding2[3];
    std::uint32_t ListerHotTrackGradientTopColor;
    std::uint32_t ListerHotTrackGradientBottomColor;
    std::uint32_t ListerHotTrackFrameColor;
    char16_t *VCLStyleTheme;
};

// Filled by the caller (zero-filled first) and passed by address to a dialog
// entry point. The caller keeps it alive as long as the dialog or browser
// exists: every event carries its address in lParam. A text not given is
// null or empty; both mean "not given".
struct TOpenDialogParams
{
    const char16_t *DefaultExt;
    const char16_t *FileName;
    // Pairs of description and patterns separated by "|", patterns within a
    // pair by ";": u"Audio|*.mp3;*.flac|All files|*.*". Matching ignores case.
    const char16_t *Filters;
    std::int32_t FilterIndex;
    std::int32_t HelpContext;
    // Null or empty: the folder remembered for DialogGUID, else the home folder.
    const char16_t *InitialDir;
    TOpenOptions Options;
    TOpenOptionsEx OptionsEx;
    std::uint8_t Padding1[2];
    const char16_t *Title;
    // With ofIntegrate the browser is created as a child filling this window.
    BDWindowHandle ParentWindow;
    TBDGUID DialogGUID;
    OFNHookProc HookProc;
    TBVDialogType DialogType;
    std::uint8_t Padding2[7];
    void *User;
    BDFileInfoHookProc FileInfoHookProc;
    const char16_t *FileInfoColumnName;
    BDFileThumbnailHookProc FileThumbnailHookProc;
    TOpenDialogAppearance *Appearance;
    // "Key=Value" lines separated by CR LF, read during the entry-point call
    // only. Keys: "UIDPIScaling" (DPI, 96 = 100 %), "ThumbnailsWidth" and
    // "ThumbnailsHeight" (pixels before scaling).
    const char16_t *AdditionalParameters;
};

// Chosen names. The caller passes a zero-filled record to a dialog entry
// point; a modal dialog sets its Successfull, FileCount and FilterIndex when it
// closes (text fields stay untouched). Selection events (2050) carry a record
// that the library allocated: the host hands it back with
// BrivaneDialogs_FreeDialogResults when event 2052 names it.
struct TOpenDialogResults
{
    BDBool Successfull;
    std::uint8_t Padding1[4];
    // The chosen name when FileCount is 1, else null.
    char16_t *FileName;
    // In characters, without the terminating zero.
    std::int64_t FileNameSize;
    std::uint32_t FileCount;
    std::uint8_t Padding2[4];
    // Every chosen name followed by a zero; a second zero ends the list. Never
    // null in an event: an empty selection is a single zero character.
    char16_t *FileNames;
    // In characters, including every zero.
    std::int64_t FileNamesSize;
    // Filter chosen, counted from 0; -1 when none.
    std::int32_t FilterIndex;
    std::uint8_t Padding3[4];
};

// wParam of event 2056: the focused item. Valid only during the hook call.
struct TBDFocusedItem
{
    const char16_t *FileName; // full name
    void *PIDL; // always null on this platform
};

static_assert(sizeof(TOpenDialogAppearance) == 80);
static_assert(offsetof(TOpenDialogAppearance, UIColor) == 0);
static_assert(offsetof(TOpenDialogAppearance, UIFontColor) == 4);
static_assert(offsetof(TOpenDialogAppearance, ListerBckgColor) == 8);
static_assert(offsetof(TOpenDialogAppearance, ListerFontColor) == 12);
static_assert(offsetof(TOpenDialogAppearance, ListerGridLines) == 16);
static_assert(offsetof(TOpenDialogAppearance, ListerHeaderGradientTopColor) == 20);
static_assert(offsetof(TOpenDialogAppearance, ListerHeaderGradientBottomColor) == 24);
static_assert(offsetof(TOpenDialogAppearance, ListerHeaderBrightColor) == 28);
static_assert(offsetof(TOpenDialogAppearance, ListerHeaderDarkColor) == 32);
static_assert(offsetof(TOpenDialogAppearance, ListerHeaderFontColor) == 36);
static_assert(offsetof(TOpenDialogAppearance, ListerSelectionAlpha) == 40);
static_assert(offsetof(TOpenDialogAppearance, ListerSelectionGradientTopColor) == 44);
static_assert(offsetof(TOpenDialogAppearance, ListerSelectionGradientBottomColor) == 48);
static_assert(offsetof(TOpenDialogAppearance, ListerSelectionFrameColor) == 52);
static_assert(offsetof(TOpenDialogAppearance, ListerHotTrackAlpha) == 56);
static_assert(offsetof(TOpenDialogAppearance, ListerHotTrackGradientTopColor) == 60);
static_assert(offsetof(TOpenDialogAppearance, ListerHotTrackGradientBottomColor) == 64);
static_assert(offsetof(TOpenDialogAppearance, ListerHotTrackFrameColor) == 68);
static_assert(offsetof(TOpenDialogAppearance, VCLStyleTheme) == 72);

static_assert(sizeof(TOpenDialogParams) == 144);
static_assert(offsetof(TOpenDialogParams, DefaultExt) == 0);
static_assert(offsetof(TOpenDialogParams, FileName) == 8);
static_assert(offsetof(TOpenDialogParams, Filters) == 16);
static_assert(offsetof(TOpenDialogParams, FilterIndex) == 24);
static_assert(offsetof(TOpenDialogParams, HelpContext) == 28);
static_assert(offsetof(TOpenDialogParams, InitialDir) == 32);
static_assert(offsetof(TOpenDialogParams, Options) == 40);
static_assert(offsetof(TOpenDialogParams, OptionsEx) == 44);
static_assert(offsetof(TOpenDialogParams, Title) == 48);
static_assert(offsetof(TOpenDialogParams, ParentWindow) == 56);
static_assert(offsetof(TOpenDialogParams, DialogGUID) == 64);
static_assert(offsetof(TOpenDialogParams, HookProc) == 80);
static_assert(offsetof(TOpenDialogParams, DialogType) == 88);
static_assert(offsetof(TOpenDialogParams, User) == 96);
static_assert(offsetof(TOpenDialogParams, FileInfoHookProc) == 104);
static_assert(offsetof(TOpenDialogParams, FileInfoColumnName) == 112);
static_assert(offsetof(TOpenDialogParams, FileThumbnailHookProc) == 120);
static_assert(offsetof(TOpenDialogParams, Appearance) == 128);
static_assert(offsetof(TOpenDialogParams, AdditionalParameters) == 136);

static_assert(sizeof(TOpenDialogResults) == 56);
static_assert(offsetof(TOpenDialogResults, Successfull) == 0);
static_assert(offsetof(TOpenDialogResults, FileName) == 8);
static_assert(offsetof(TOpenDialogResults, FileNameSize) == 16);
static_assert(offsetof(TOpenDialogResults, FileCount) == 24);
static_assert(offsetof(TOpenDialogResults, FileNames) == 32);
static_assert(offsetof(TOpenDialogResults, FileNamesSize) == 40);
static_assert(offsetof(TOpenDialogResults, FilterIndex) == 48);

static_assert(sizeof(TBDFocusedItem) == 16);
static_assert(offsetof(TBDFocusedItem, PIDL) == 8);

// ---------------------------------------------------------------------------
// Event codes (library -> hook)

// wParam: TOpenDialogResults* with the current selection (or the confirmed names).
inline constexpr std::uint32_t bdEventSelection = 2050; // 0x802
// wParam: TOpenDialogResults* the library is finished with; hand it back
// through BrivaneDialogs_FreeDialogResults.
inline constexpr std::uint32_t bdEventFreeResults = 2052; // 0x804
// The browser asks its host to close.
inline constexpr std::uint32_t bdEventCloseRequest = 2053; // 0x805
// wParam: the library window's handle, before the entry point returns.
inline constexpr std::uint32_t bdEventWindowCreated = 2054; // 0x806
// wParam: TBDFocusedItem* of the newly focused item.
inline constexpr std::uint32_t bdEventFocusChanged = 2056; // 0x808
// wParam: 1 when one of the library's text fields takes the keyboard focus,
// 0 when it leaves (so the host lets typed keys, Space included, through).
inline constexpr std::uint32_t bdEventTextFocus = 2083; // 0x823

// ---------------------------------------------------------------------------
// Window messages (host -> library window from event 2054), wParam = lParam = 0

// Fit the browser to its parent window again.
inline constexpr std::uint32_t bdMsgRefit = 2055; // 0x807
// Report the current selection as event 2050 (then 2052) before returning.
inline constexpr std::uint32_t bdMsgReportSelection = 2072; // 0x818
// Left panel: drives, standard locations and recently visited folders.
inline constexpr std::uint32_t bdMsgPanelLocations = 2095; // 0x82F
// Left panel: folder tree.
inline constexpr std::uint32_t bdMsgPanelTree = 2096; // 0x830
// Put the keyboard focus in the browser's path bar with its text selected,
// as Ctrl+L does inside the browser; for a host shortcut that works from
// anywhere in its window. Answers 1 when the path bar took the focus.
inline constexpr std::uint32_t bdMsgFocusPathBar = 2097; // 0x831
// Focus and select the next file in the list's order, folders passed over,
// and report it (event 2056) as the Down key would; for playing a folder
// through. Answers 1 when a file followed, 0 at the end of the list.
inline constexpr std::uint32_t bdMsgFocusNextFile = 2098; // 0x832
// Close the browser: it stores its folder and filter index.
inline constexpr std::uint32_t bdMsgClose = 0x0010;

// ---------------------------------------------------------------------------
// Host entries in the file list's context menu
//
// An extension of the events above; the records, codes and messages before
// this point are unchanged. When the user opens the context menu of the file
// list, the library sends event 2110 with a TBDMenuRequest. A host that has
// entries of its own points Items at them and sets ItemCount before the hook
// returns; the library copies everything (texts and icons) during the call,
// so the host may keep the items on its stack. A host that does not know the
// event answers 1 as for any other code and the menu shows the library's
// own entries only. The host's entries come first in the menu, followed by a
// separator and the library's entries.
//
// When the user picks one of the host's entries, the library sends event
// 2111 with the entry's Command in wParam. It does so from the event loop,
// after the menu has closed, so the host may ask for the selection
// (message 2072), open dialogs or run a nested event loop in its handler.

// Flags of a TBDMenuItem.
enum TBDMenuItemFlag : std::uint32_t {
    bdMenuItemDisabled = 1u << 0, // shown greyed; never sent back with 2111
    bdMenuItemSeparator = 1u << 1, // a separator line; Caption, Name and icon are ignored
    bdMenuItemSubmenu = 1u << 2, // opens a submenu holding the items whose Parent is this Command
};

struct TBDMenuItem
{
    // The host's number for the entry, non-zero and unique within one
    // request; it comes back as wParam of event 2111.
    std::uint32_t Command;
    // Command of the submenu item this entry belongs to; 0 for the menu itself.
    // A submenu item comes before its entries.
    std::uint32_t Parent;
    std::uint32_t Flags; // TBDMenuItemFlag bits
    std::uint32_t Reserved; // zero
    // "&" marks the mnemonic letter, "&&" is a literal ampersand.
    const char16_t *Caption;
    // The entry's object name (for automation and tests), or null.
    const char16_t *Name;
    // Optional icon: IconWidth x IconHeight pixels of 32-bit 0xAARRGGBB (not
    // premultiplied), rows top to bottom without padding; null for none.
    const std::uint32_t *IconPixels;
    std::int32_t IconWidth;
    std::int32_t IconHeight;
};

// wParam of event 2110. Valid only during the hook call.
struct TBDMenuRequest
{
    // Set by the library: sizeof(TBDMenuRequest), so the record can grow.
    std::uint32_t StructSize;
    // Set by the library: how many items (files and folders) are selected.
    std::uint32_t SelectionCount;
    // Set by the host: its entries, in menu order, or null.
    const TBDMenuItem *Items;
    // Set by the host: the number of entries Items points to.
    std::uint32_t ItemCount;
    std::uint32_t Reserved; // zero
};

static_assert(sizeof(TBDMenuItem) == 48);
static_assert(offsetof(TBDMenuItem, Caption) == 16);
static_assert(offsetof(TBDMenuItem, Name) == 24);
static_assert(offsetof(TBDMenuItem, IconPixels) == 32);
static_assert(offsetof(TBDMenuItem, IconWidth) == 40);
static_assert(sizeof(TBDMenuRequest) == 24);
static_assert(offsetof(TBDMenuRequest, Items) == 8);
static_assert(offsetof(TBDMenuRequest, ItemCount) == 16);

// wParam: TBDMenuRequest* for the host to add its entries to.
inline constexpr std::uint32_t bdEventFileMenu = 2110; // 0x83E
// wParam: the Command of the host's entry the user picked.
inline constexpr std::uint32_t bdEventFileMenuCommand = 2111; // 0x83F
// wParam: TBDFocusedItem* of the file the user opened in the list (Enter or a
// double-click); folders open in the browser and send nothing.
inline constexpr std::uint32_t bdEventFileActivated = 2112; // 0x840

// Key store key of a dialog: this prefix followed by its GUID in braces,
// upper-case hexadecimal ("{14041EA1-43B5-474A-B7BA-CAE3B9460048}"). Values:
// "Folder" (text ending in "/") and "Filter index" (32-bit number).
#define BRIVANEDIALOGS_SETTINGS_KEY_PREFIX u"Software\\Tarvex\\Brivane Dialogs\\App settings\\"

// ---------------------------------------------------------------------------
// Entry points

inline constexpr const char *bdLibraryFileName = "libBrivaneDialogs.so";

// Returns non-zero when a modal dialog was confirmed (its names arrived as
// event 2050 before the return); for ofIntegrate|ofNotModal non-zero when the
// browser was created (its handle arrived as event 2054 before the return).
using TBrivaneDialogs_OpenDialog = std::int32_t (*)(TOpenDialogParams *Params, TOpenDialogResults *Results);
using TBrivaneDialogs_SaveDialog = TBrivaneDialogs_OpenDialog;
using TBrivaneDialogs_FolderDialog = TBrivaneDialogs_OpenDialog;
// Argument: the owner window or 0. Non-zero when the user pressed OK.
using TBrivaneDialogs_SettingsWindow = std::int32_t (*)(BDWindowHandle ParentWindow);
// Frees a record delivered with event 2050. Unknown addresses are ignored
// (returns 0), so a record is never freed twice.
using TBrivaneDialogs_FreeDialogResults = std::int32_t (*)(TOpenDialogResults *Results);

#if defined(BRIVANEDIALOGS_BUILDING)
#define BRIVANEDIALOGS_EXPORT __attribute__((visibility("default")))
#else
#define BRIVANEDIALOGS_EXPORT
#endif

extern "C" {
BRIVANEDIALOGS_EXPORT std::int32_t BrivaneDialogs_OpenDialog(TOpenDialogParams *Params, TOpenDialogResults *Results);
BRIVANEDIALOGS_EXPORT std::int32_t BrivaneDialogs_SaveDialog(TOpenDialogParams *Params, TOpenDialogResults *Results);
BRIVANEDIALOGS_EXPORT std::int32_t BrivaneDialogs_FolderDialog(TOpenDialogParams *Params, TOpenDialogResults *Results);
BRIVANEDIALOGS_EXPORT std::int32_t BrivaneDialogs_SettingsWindow(BDWindowHandle ParentWindow);
BRIVANEDIALOGS_EXPORT std::int32_t BrivaneDialogs_FreeDialogResults(TOpenDialogResults *Results);
}
