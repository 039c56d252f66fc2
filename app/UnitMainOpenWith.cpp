// The open-with toolbar and launching the selected files in an application.
#include "app/ErrorBoundary.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "app/UnitMain.h"
#include "imaging/FreeImageLoader.h"
#include "imaging/IconFile.h"
#include "imaging/IconLoaderGR32FIHQ.h"
#include "imaging/Image32.h"
#include "imaging/ResamplerKernels.h"
#include "imaging/ShellItemImageFactory.h"
#include "util/AppIconLookup.h"
#include "util/HelperTarvex.h"
#include "util/OpenWithLauncher.h"

#include <QIcon>
#include <QLineEdit>
#include <QMessageBox>
#include <QToolButton>

namespace {

const char *const kImageIndexProperty = "ImageIndex";
const QString kNoApplicationCaption = QStringLiteral("No app. specified  ");
// The size SHGetFileInfoW's shell-sized large icon has.
constexpr int kShellLargeIcon = 32;

QString appPath(int n)
{
    return FormSettings ? FormSettings->EditApp(n)->text() : QString();
}

// " name " with every "&" doubled, so no letter turns into an accelerator.
QString captionFor(const QString &displayName, const QString &path)
{
    QString name = displayName.isEmpty() ? ApplicationDisplayName(path) : displayName;
    name.replace(QStringLiteral("&"), QStringLiteral("&&"));
    return QLatin1Char(' ') + name + QLatin1Char(' ');
}

void showImage(QToolButton *button, const ImageList &list, int index)
{
    button->setProperty(kImageIndexProperty, index);
    button->setIcon(index >= 0 && index < list.count() ? QIcon(list.at(index)) : QIcon());
}

// The list copies an icon into a new cell, stretched to the cell's size.
int addIcon(ImageList &list, const QImage &icon)
{
    QImage cell = icon;
    if (cell.size() != list.cellSize())
        cell = icon.scaled(list.cellSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return list.add(QPixmap::fromImage(cell));
}

// The shell may answer with another size than asked; the picture is fitted
// into the cell (never enlarged, centred) rather than cut off.
int addShellBitmap(ImageList &list, const QImage &bitmap)
{
    const QSize cell = list.cellSize();
    Image32 fitted;
    if (!bitmap.isNull())
        StretchBitmapHQ(bitmap, cell.width(), cell.height(), fitted, true, true, true, LanczosKernel, 0);
    QImage image = CopyImage32ToBitmap(fitted);
    if (image.size() != cell) {
        // No picture: a transparent filler keeps one entry per usable slot.
        image = QImage(cell, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
    }
    return list.add(QPixmap::fromImage(image));
}

// The two stock images sit at the head of the list, in this order.
struct StockImage
{
    const char *name;
    int loadSize;
};
constexpr StockImage kStockImages[] = { { "16QUESTION", 48 }, { "17STAR", 128 } };

// Appends the stock images; true when they were decoded, false when they
// are transparent place-holders because FreeImage is not bound (yet).
bool addStockImages(ImageList &list)
{
    const bool decoded = FreeImageLoaded();
    for (const StockImage &image : kStockImages)
        AddIconResourceToImageList(QString::fromLatin1(image.name), list, image.loadSize);
    return decoded;
}

QIcon mainIcon()
{
    QIcon icon;
    const QByteArray ico = IconGroupData(QStringLiteral("00MAINICON"));
    for (const QSize &size : IconFileSizes(ico)) {
        const QImage image = IconFileImage(ico, size.width());
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace

void TFormMain::LoadIcons()
{
    ImageListFilesButtons.clear();
    // Without a picture the window keeps the platform's default icon.
    setWindowIcon(mainIcon());
    m_stockImagesDecoded = addStockImages(ImageListFilesButtons);
    showImage(ToolButton4, ImageListFilesButtons, 1);
}

void TFormMain::RefreshStockImages()
{
    // FreeImage is bound after the first paint, so the toolbar first shows
    // place-holders of the same size and gets its pictures a moment later.
    if (m_stockImagesDecoded || !FreeImageLoaded())
        return;
    m_stockImagesDecoded = true;
    for (int index = 0; index < int(std::size(kStockImages)); ++index) {
        const StockImage &image = kStockImages[index];
        ImageListFilesButtons.replace(index,
            QPixmap::fromImage(IconResourceImageForCell(
                QString::fromLatin1(image.name), image.loadSize, ImageListFilesButtons.cellSize())));
    }
    for (QToolButton *button : { ToolButton4, ToolButton1, ToolButton2, ToolButton3 }) {
        const int index = ToolButtonImageIndex(button);
        if (index >= 0 && index < int(std::size(kStockImages)))
            showImage(button, ImageListFilesButtons, index);
    }
}

void TFormMain::ConnectOpenWithButtons()
{
    connect(ToolButton1, &QToolButton::clicked, this, Guarded(this, &TFormMain::ToolButton1Click));
    connect(ToolButton2, &QToolButton::clicked, this, Guarded(this, &TFormMain::ToolButton2Click));
    connect(ToolButton3, &QToolButton::clicked, this, Guarded(this, &TFormMain::ToolButton3Click));
}

void TFormMain::DisplayOpenWithButtons()
{
    // The cell size decides, never the scale value itself.
    if (ImageListFilesButtons.width() == 32 && ImageListFilesButtons.height() == 32)
        DisplayOpenWithButtons32();
    else
        DisplayOpenWithButtonsShell();
}

namespace {

enum class IconSource { ShellLargeIcon, ShellItemImage };

// Whether the stock images came out decoded.
bool buildOpenWithButtons(TFormMain &form, IconSource source)
{
    ImageList &list = form.ImageListFilesButtons;
    list.clear();
    const bool decoded = addStockImages(list);
    showImage(form.ToolButton4, list, 1);

    QToolButton *buttons[] = { form.ToolButton1, form.ToolButton2, form.ToolButton3 };
    for (int n = 1; n <= 3; ++n) {
        QToolButton *button = buttons[n - 1];
        const QString path = appPath(n);
        if (!IsUsableApplication(path)) {
            button->setText(kNoApplicationCaption);
            button->setAccessibleName(kNoApplicationCaption);
            showImage(button, list, 0);
        } else {
            const QString caption = captionFor(FormSettings->EditAppName(n)->text(), path);
            button->setText(caption);
            button->setAccessibleName(QString(caption).replace(QStringLiteral("&&"), QStringLiteral("&")));
            int index = -1;
            if (source == IconSource::ShellLargeIcon) {
                const QImage icon = ApplicationIconImage(path, QSize(kShellLargeIcon, kShellLargeIcon));
                if (!icon.isNull())
                    index = addIcon(list, icon);
            } else {
                index = addShellBitmap(list, GetShellItemImage(path, list.width(), list.height()));
            }
            showImage(button, list, index);
        }
        // Each button as wide as its picture and caption need.
        button->setFixedWidth(button->sizeHint().width());
    }
    return decoded;
}

} // namespace

void TFormMain::DisplayOpenWithButtons32()
{
    m_stockImagesDecoded = buildOpenWithButtons(*this, IconSource::ShellLargeIcon);
}

void TFormMain::DisplayOpenWithButtonsShell()
{
    m_stockImagesDecoded = buildOpenWithButtons(*this, IconSource::ShellItemImage);
}

int TFormMain::ToolButtonImageIndex(const QToolButton *button)
{
    const QVariant index = button->property(kImageIndexProperty);
    return index.isValid() ? index.toInt() : -1;
}

namespace {

void launchSlot(TFormMain &form, int n)
{
    const QString path = appPath(n);
    if (!IsUsableApplication(path)) {
        QMessageBox::information(&form, QStringLiteral("Information"),
            QStringLiteral("No application specified or the application could not be found. Please specify the "
                           "applications in settings."));
        return;
    }
    form.GetSelectedFilesList();
    // Whether it started is not examined: the user sees the application or not.
    StartApplication(path, FormSettings->EditAppParameters(n)->text(), form.SelectedFilesList);
}

} // namespace

void TFormMain::ToolButton1Click()
{
    launchSlot(*this, 1);
}

void TFormMain::ToolButton2Click()
{
    launchSlot(*this, 2);
}

void TFormMain::ToolButton3Click()
{
    launchSlot(*this, 3);
}

void TFormMain::ShowFormSettings()
{
    if (FormSettings)
        FormSettings->exec();
}
