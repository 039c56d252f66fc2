// Under a dark desktop scheme every text of the main window and the hint
// window stays readable: captions and links take their colours from the
// palette and keep a readable contrast against what they are drawn on,
// checked on the colours the widgets use and on the pixels they draw.

#include "MainWindowTestSupport.h"
#include "app/DialogTreeViewHint.h"
#include "app/FormHelpers.h"

#include <QApplication>
#include <QGroupBox>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTreeWidget>

namespace {

// WCAG's threshold for normal text.
constexpr double kReadable = 4.5;

struct DarkScheme
{
    const char *what;
    QColor link;
};

// A dark Fusion palette as applications and desktops set it up; link
// colours differ between them.
QPalette darkPalette(const QColor &link)
{
    QPalette palette;
    const QColor window(53, 53, 53);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Base, QColor(25, 25, 25));
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, window);
    palette.setColor(QPalette::ToolTipText, Qt::white);
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    palette.setColor(QPalette::Link, link);
    palette.setColor(QPalette::LinkVisited, link.darker(130));
    return palette;
}

const DarkScheme kSchemes[] = {
    { "dark Fusion with its own blue links", QColor(42, 130, 218) },
    { "dark scheme keeping the light scheme's links", QColor(0, 0, 255) },
};

// Puts the application's palette back after a test.
class PaletteGuard
{
public:
    PaletteGuard()
        : m_saved(QApplication::palette())
    { }
    ~PaletteGuard() { QApplication::setPalette(m_saved); }

private:
    QPalette m_saved;
};

// The most readable pixel of a drawn text against the most common colour
// of the area (its background); 1 when nothing differs.
double drawnContrast(const QImage &area)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x)
            ++counts[area.pixel(x, y) | 0xFF000000];
    }
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    }
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, ContrastRatio(QColor(it.key()), QColor(background)));
    return best;
}

QRect rectIn(const QWidget *widget, const QWidget *ancestor)
{
    return { widget->mapTo(ancestor, QPoint(0, 0)), widget->size() };
}

TEST_F(MainWindowTest, HintLinksStayReadableWhenTheDesktopTurnsDark)
{
    for (const DarkScheme &scheme : kSchemes) {
        SCOPED_TRACE(scheme.what);
        PaletteGuard guard;
        // Made under the light scheme; the desktop switches while it shows.
        QPointer<TFormTreeViewHint> hint = new TFormTreeViewHint(nullptr, 0);
        hint->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(hint));
        QApplication::setPalette(darkPalette(scheme.link));
        QApplication::processEvents();
        const QImage shot = hint->grab().toImage();
        for (QLabel *label : { hint->LabelTreeView, hint->LabelDrivesLocations, hint->LabelFileName }) {
            SCOPED_TRACE(label->objectName().toStdString());
            const QPalette &used = label->palette();
            const QColor background = hint->GroupBox1->palette().color(QPalette::Window);
            EXPECT_GE(ContrastRatio(used.color(label->foregroundRole()), background), kReadable);
            EXPECT_GE(drawnContrast(shot.copy(rectIn(label, hint))), kReadable);
        }
        // Links still look like links, not like the text around them.
        EXPECT_NE(hint->LabelTreeView->palette().color(QPalette::WindowText),
            hint->LabelFileName->palette().color(QPalette::WindowText));
        hint->close();
        delete hint;
    }
}

TEST_F(MainWindowTest, MainWindowTextsAndDetailCaptionsStayReadableOnADarkScheme)
{
    for (const DarkScheme &scheme : kSchemes) {
        SCOPED_TRACE(scheme.what);
        PaletteGuard guard;
        QApplication::setPalette(darkPalette(scheme.link));
        TFormMain &form = createWindow();
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.FillDetailsView({ QStringLiteral("General"), QStringLiteral("Format                : Wave"),
            QStringLiteral("Audio"), QStringLiteral("Channel(s)            : 2 channels") });
        QApplication::processEvents();

        QTreeWidget *details = form.ListViewDetails;
        const QColor base = details->palette().color(QPalette::Base);
        const QImage viewport = details->viewport()->grab().toImage();
        int captions = 0;
        for (int i = 0; i < details->topLevelItemCount(); ++i) {
            QTreeWidgetItem *item = details->topLevelItem(i);
            if (item->childCount() == 0)
                continue;
            SCOPED_TRACE(item->text(0).toStdString());
            ++captions;
            EXPECT_GE(ContrastRatio(item->foreground(0).color(), base), kReadable);
            const QRect row = details->visualItemRect(item);
            EXPECT_GE(drawnContrast(viewport.copy(row)), kReadable);
        }
        EXPECT_EQ(captions, 2);

        const QImage shot = form.grab().toImage();
        int labels = 0;
        for (QLabel *label : form.findChildren<QLabel *>()) {
            if (!label->isVisible() || label->text().isEmpty())
                continue;
            ++labels;
            SCOPED_TRACE(label->objectName().toStdString());
            const QWidget *painted = label->autoFillBackground() ? label : label->parentWidget();
            EXPECT_GE(ContrastRatio(label->palette().color(label->foregroundRole()),
                          painted->palette().color(painted->backgroundRole())),
                kReadable);
            EXPECT_GE(drawnContrast(shot.copy(rectIn(label, &form))), kReadable);
        }
        EXPECT_GT(labels, 0);
        m_form.reset();
    }
}

} // namespace
