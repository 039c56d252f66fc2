// Every text and picture of the main window, the browser inside it and the
// settings window fits the control that shows it, and every font is at the
// one scale the windows are drawn at, at 100, 125, 150 and 200 %. Run on a
// real X server under openbox with the screen's DPI at 144 (QT_FONT_DPI), so a
// font sized in points, which Qt converts with that DPI, stands out. On the
// Full HD screen the main window is fitted: every scale above 96 is lowered;
// VANTREL_OPENBOX_SCREEN=3840x2160x24 runs the scales unfitted.
#include "MainWindowTestSupport.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "app/VantrelApplication.h"
#include "browser/BrivaneDialogsDynamic.h"
#include "scaling/ScaleFunctions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>

#include <memory>
#include <set>

namespace {

// Qt's own gap between a tool button's picture and its text.
constexpr int kToolButtonIconGap = 4;
// The designed fonts at 96 DPI: the windows' own (Tahoma 8 point) and the
// browser's.
constexpr int kDesignFontPixels = 11;
constexpr int kBrowserFontPixels = 12;

QString withoutMnemonic(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

// The part of the widget that its ancestors leave on screen, in its own
// coordinates: a control pushed past its parent's edge is cut there.
QRect shownRect(const QWidget *widget)
{
    QRect shown = widget->rect();
    QPoint offset;
    const QWidget *current = widget;
    while (!current->isWindow() && current->parentWidget()) {
        offset += current->pos();
        current = current->parentWidget();
        shown &= current->rect().translated(-offset);
    }
    return shown;
}

QString describe(const QWidget *widget, const QString &text)
{
    const QString name = widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                        : widget->objectName();
    return name + QStringLiteral(" \"") + text + u'"';
}

// What does not fit, one line each.
class FitCheck
{
public:
    void needs(const QWidget *widget, const QString &text, QSize needed, QRect area)
    {
        const QRect shown = area & shownRect(widget);
        if (needed.width() > shown.width() || needed.height() > shown.height())
            m_faults.append(describe(widget, text)
                + QStringLiteral(" needs %1x%2, shows %3x%4")
                      .arg(needed.width())
                      .arg(needed.height())
                      .arg(shown.width())
                      .arg(shown.height()));
    }

    void label(const QLabel *label)
    {
        const QRect area
            = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
        if (!label->pixmap().isNull() && !label->hasScaledContents()) {
            needs(label, QStringLiteral("<picture>"), label->pixmap().deviceIndependentSize().toSize(), area);
            return;
        }
        if (label->text().isEmpty())
            return;
        QString text = label->text();
        if (Qt::mightBeRichText(text)) {
            QTextDocument document;
            document.setDefaultFont(label->font());
            document.setHtml(text);
            text = document.toPlainText();
        }
        const QFontMetrics metrics = label->fontMetrics();
        // Measured as the label measures itself.
        const int flags = int(label->alignment() & ~(Qt::AlignVCenter | Qt::AlignBottom))
            | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect bounds
            = metrics.boundingRect(QRect(0, 0, label->wordWrap() ? area.width() : 100000, 100000), flags, text);
        needs(label, text, bounds.size(), area);
    }

    void button(QAbstractButton *button)
    {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        option.icon = button->icon();
        option.iconSize = button->iconSize();
        const QString text = withoutMnemonic(button->text());
        const QFontMetrics metrics = button->fontMetrics();
        QSize needed(text.isEmpty() ? 0 : metrics.horizontalAdvance(text), text.isEmpty() ? 0 : metrics.height());
        if (!button->icon().isNull()) {
            needed.rwidth() += button->iconSize().width() + (text.isEmpty() ? 0 : kToolButtonIconGap);
            needed.setHeight(std::max(needed.height(), button->iconSize().height()));
        }
        QStyle *style = button->style();
        QRect area;
        if (qobject_cast<QCheckBox *>(button) || qobject_cast<QRadioButton *>(button)) {
            const bool check = qobject_cast<QCheckBox *>(button) != nullptr;
            area = style->subElementRect(
                check ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents, &option, button);
            const QRect indicator = style->subElementRect(
                check ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &option, button);
            needs(button, QStringLiteral("<indicator>"), indicator.size(), indicator);
        } else if (auto *push = qobject_cast<QPushButton *>(button)) {
            if (push->autoDefault())
                option.features |= QStyleOptionButton::AutoDefaultButton;
            area = style->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        } else if (auto *tool = qobject_cast<QToolButton *>(button)) {
            if (tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
                needed = button->icon().isNull() ? QSize() : button->iconSize();
            else if (tool->toolButtonStyle() == Qt::ToolButtonTextOnly)
                needed = QSize(metrics.horizontalAdvance(text), metrics.height());
            // Label inside the style's frame, as Qt draws it.
            const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
            area = button->rect().adjusted(frame, frame, -frame, -frame);
        } else {
            area = button->rect();
        }
        needs(button, text, needed, area);
    }

    void header(const QHeaderView *header)
    {
        const QFontMetrics metrics = header->fontMetrics();
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        const int mark = header->style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, header);
        for (int section = 0; section < header->count(); ++section) {
            if (header->isSectionHidden(section))
                continue;
            const QString text = header->model()->headerData(section, header->orientation()).toString();
            int width = metrics.horizontalAdvance(text) + 2 * margin;
            if (header->isSortIndicatorShown() && header->sortIndicatorSection() == section)
                width += mark + margin;
            const QRect area(
                header->sectionViewportPosition(section), 0, header->sectionSize(section), header->height());
            needs(header, text, QSize(width, metrics.height()), area);
        }
    }

    void groupBox(QGroupBox *box)
    {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect caption = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        needs(box, box->title(), caption.size(), caption);
    }

    void menuBar(QMenuBar *bar)
    {
        const QFontMetrics metrics = bar->fontMetrics();
        const QList<QAction *> actions = bar->actions();
        for (QAction *action : actions) {
            const QString text = withoutMnemonic(action->text());
            needs(bar, text, QSize(metrics.horizontalAdvance(text), metrics.height()), bar->actionGeometry(action));
        }
    }

    void menu(QMenu *menu)
    {
        menu->ensurePolished();
        const QFontMetrics metrics = menu->fontMetrics();
        const QList<QAction *> actions = menu->actions();
        for (QAction *action : actions) {
            if (action->isSeparator() || !action->isVisible())
                continue;
            const QString text = withoutMnemonic(action->text());
            const QString shortcut = action->shortcut().toString(QKeySequence::NativeText);
            const int width = metrics.horizontalAdvance(text)
                + (shortcut.isEmpty() ? 0 : metrics.horizontalAdvance(shortcut) + metrics.averageCharWidth());
            const QRect area = menu->actionGeometry(action);
            if (width > area.width() || metrics.height() > area.height())
                m_faults.append(describe(menu, text)
                    + QStringLiteral(" needs %1 wide, has %2x%3").arg(width).arg(area.width()).arg(area.height()));
        }
    }

    void window(QWidget *window)
    {
        const QList<QWidget *> widgets = window->findChildren<QWidget *>();
        for (QWidget *widget : widgets) {
            if (!widget->isVisibleTo(window) || widget->window() != window || widget->size().isEmpty())
                continue;
            if (auto *l = qobject_cast<QLabel *>(widget))
                label(l);
            else if (auto *b = qobject_cast<QAbstractButton *>(widget))
                button(b);
            else if (auto *h = qobject_cast<QHeaderView *>(widget))
                header(h);
            else if (auto *g = qobject_cast<QGroupBox *>(widget))
                groupBox(g);
            else if (auto *bar = qobject_cast<QMenuBar *>(widget))
                menuBar(bar);
        }
    }

    const QStringList &faults() const { return m_faults; }

private:
    QStringList m_faults;
};

class TextFitsTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs an X server with a window manager: run through under-openbox.sh";
    }

    void TearDown() override
    {
        FormSettings = nullptr;
        m_settings.reset();
        MainWindowTest::TearDown();
    }

    // Start-up as the program runs it: main window, settings window, toolbar,
    // browser; then shown.
    TFormMain &startAt(int scale)
    {
        DisplayScale = scale;
        TFormMain &form = createWindow();
        m_settings = std::make_unique<TFormSettings>(&form);
        FormSettings = m_settings.get();
        form.DisplayOpenWithButtons();
        form.OpenBrivaneDialogsIntegrated();
        form.ToolButton4->setChecked(true);
        form.ToolButton4Click();
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        return form;
    }

    void closeAll()
    {
        FormSettings = nullptr;
        m_settings.reset();
        static_cast<VantrelApplication *>(qApp)->setActionManager(nullptr);
        FormMain = nullptr;
        m_form.reset();
    }

    BrivaneDialogsBindings m_library;
    std::unique_ptr<TFormSettings> m_settings;
};

TEST_F(TextFitsTest, EveryTextAndPictureFitsItsControlAtEveryScale)
{
    for (const int asked : { 96, 120, 144, 192 }) {
        TFormMain &form = startAt(asked);
        const int s = DisplayScale;
        ASSERT_NE(form.findChild<QWidget *>(QStringLiteral("BrowserWidget")), nullptr)
            << "the browser did not open: the dialog library belongs beside the test";
        FitCheck check;
        check.window(&form);
        for (QMenu *menu : { form.File1, form.Options1, form.Help1, form.PopupMenuDetails })
            check.menu(menu);
        m_settings->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_settings.get()));
        check.window(m_settings.get());
        EXPECT_TRUE(check.faults().isEmpty()) << "at " << asked << " (drawn at " << s << "):\n"
                                              << check.faults().join(u'\n').toStdString();
        closeAll();
    }
}

TEST_F(TextFitsTest, MenusStatusBarListsAndPopupsShareOneScale)
{
    for (const int asked : { 96, 120, 144, 192 }) {
        TFormMain &form = startAt(asked);
        const int s = DisplayScale;
        const int system = MulDiv(SystemFontPixelsAt96(), s, 96);
        const std::set<int> designed = { system, MulDiv(kDesignFontPixels, s, 96), MulDiv(kBrowserFontPixels, s, 96) };
        const QString at = QStringLiteral(" at %1 (drawn at %2)").arg(asked).arg(s);

        // Everything without a font of its own: the system font at this scale.
        struct Shared
        {
            const char *what;
            QFont font;
        };
        const Shared shared[] = {
            { "application", QApplication::font() },
            { "menu bar", form.MainMenu1->font() },
            { "File menu", form.File1->font() },
            { "details menu", form.PopupMenuDetails->font() },
            { "status bar", form.StatusBar->font() },
            { "status panel", form.StatusPanel0->font() },
            { "tooltip", QToolTip::font() },
        };
        for (const Shared &item : shared) {
            EXPECT_EQ(QFontInfo(item.font).pixelSize(), system) << item.what << at.toStdString();
            EXPECT_FALSE(QFontInfo(item.font).bold()) << item.what << at.toStdString();
        }
        EXPECT_EQ(form.ListViewDetails->font().pixelSize(), MulDiv(kDesignFontPixels, s, 96)) << at.toStdString();

        // No font anywhere in the window sized in points or scaled twice.
        const QList<QWidget *> widgets = form.findChildren<QWidget *>();
        for (const QWidget *widget : widgets) {
            if (!widget->isVisibleTo(&form))
                continue;
            const int pixels = QFontInfo(widget->font()).pixelSize();
            EXPECT_TRUE(designed.count(pixels) == 1)
                << describe(widget, QString()).toStdString() << " has a " << pixels << " px font" << at.toStdString();
        }
        closeAll();
    }
}

} // namespace
