#include "app/DialogTreeViewHint.h"

#include "BrivaneDialogs.h"
#include "app/FormHelpers.h"
#include "app/Globals.h"
#include "platform/WindowMessage.h"
#include "scaling/AnchorLayout.h"
#include "scaling/ScaleFunctions.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>

namespace {

constexpr int kClientWidth = 412;
constexpr int kClientHeight = 234;
// The links are right-aligned: when the font that stands in for Tahoma is
// wider, the label grows to the left so its text is never cut off.
QRect linkRect(const QLabel *label, QRect designed)
{
    const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2;
    if (needed > designed.width())
        designed.setLeft(designed.right() + 1 - needed);
    return designed;
}

} // namespace

// Outside any namespace, as the resource macro needs: the resources of a
// static library are registered by hand.
static void initHintResources()
{
    Q_INIT_RESOURCE(hint);
}

TFormTreeViewHint::TFormTreeViewHint(QWidget *owner, std::uintptr_t browserWindow)
    : QDialog(owner,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
            | Qt::WindowCloseButtonHint)
    , m_browserWindow(browserWindow)
{
    initHintResources();
    setObjectName(QStringLiteral("FormTreeViewHint"));
    setWindowTitle(QStringLiteral("Hint"));
    setAccessibleName(QStringLiteral("Hint"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(DesignFont(true));
    setFixedSize(kClientWidth, kClientHeight);

    auto *layout = new AnchorLayout(this, QSize(kClientWidth, kClientHeight));
    GroupBox1 = new QGroupBox(QStringLiteral(" Information: "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setAccessibleName(QStringLiteral("Information"));
    layout->addWidget(GroupBox1, QRect(0, 0, 412, 195),
        AnchorLayout::Left | AnchorLayout::Top | AnchorLayout::Right | AnchorLayout::Bottom);
    auto *inside = new AnchorLayout(GroupBox1, QSize(412, 195));

    Image1 = new QLabel(GroupBox1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("Browser panels picture"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/hint/TreeViewHint.png")));
    Image1->setScaledContents(true);
    inside->addWidget(Image1, QRect(32, 36, 48, 48));

    LabelFileName = new QLabel(GroupBox1);
    LabelFileName->setObjectName(QStringLiteral("LabelFileName"));
    LabelFileName->setFont(DesignFont(false));
    LabelFileName->setWordWrap(true);
    LabelFileName->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LabelFileName->setAttribute(Qt::WA_TranslucentBackground);
    LabelFileName->setText(QStringLiteral(
        "  There are 2 modes for the left panel: drives, locations and recently visited folders panel or a tree-view "
        "locations panel. Right-mouse button click on the panel or the top \"Locations\" header to display a pop-up "
        "menu to choose between the two modes."));
    LabelFileName->setAccessibleName(LabelFileName->text());
    inside->addWidget(LabelFileName, QRect(96, 36, 281, 76));

    LabelTreeView = makeLink(QStringLiteral("LabelTreeView"), QStringLiteral("Switch to tree-view folders"));
    inside->addWidget(LabelTreeView, linkRect(LabelTreeView, QRect(248, 114, 129, 13)));
    LabelDrivesLocations = makeLink(QStringLiteral("LabelDrivesLocations"),
        QStringLiteral("Switch to drives, locations and recently visited folders"));
    inside->addWidget(LabelDrivesLocations, linkRect(LabelDrivesLocations, QRect(119, 138, 258, 13)));

    CheckBoxDoNotShowAgain = new QCheckBox(QStringLiteral("Do not show this hint again"), GroupBox1);
    CheckBoxDoNotShowAgain->setObjectName(QStringLiteral("CheckBoxDoNotShowAgain"));
    CheckBoxDoNotShowAgain->setAccessibleName(CheckBoxDoNotShowAgain->text());
    CheckBoxDoNotShowAgain->setFont(DesignFont(false));
    CheckBoxDoNotShowAgain->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    inside->addWidget(CheckBoxDoNotShowAgain, QRect(142, 166, 204, 17));

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAccessibleName(QStringLiteral("OK"));
    Button1->setFont(DesignFont(false));
    Button1->setDefault(true);
    // The designed height, not the style's preferred one.
    Button1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    layout->addWidget(Button1, QRect(329, 201, 75, 25), AnchorLayout::Right | AnchorLayout::Bottom);
    connect(Button1, &QPushButton::clicked, this, &TFormTreeViewHint::Button1Click);
    // The window opens with OK focused, so Enter closes it: the links come
    // first in the Tab order, and Enter on a link switches the browser's mode.
    Button1->setFocus();

    if (owner)
        move(owner->geometry().center() - QPoint(width() / 2, height() / 2));
    FormCreate();
}

QLabel *TFormTreeViewHint::makeLink(const QString &name, const QString &text)
{
    auto *label = new QLabel(text, GroupBox1);
    label->setObjectName(name);
    label->setAccessibleName(text);
    label->setFont(DesignFont(false));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setCursor(Qt::PointingHandCursor);
    // Reachable from the keyboard too: Tab to it, Space or Enter follows it.
    label->setFocusPolicy(Qt::StrongFocus);
    colourAsLink(label);
    label->installEventFilter(this);
    return label;
}

void TFormTreeViewHint::colourAsLink(QLabel *label)
{
    // The window's own palette: at a change it is the new one already, its
    // children hear of it only afterwards.
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, ReadableLink(palette, QPalette::Window));
    label->setPalette(palette);
}

void TFormTreeViewHint::changeEvent(QEvent *event)
{
    // The desktop's scheme changed: the links follow its colours.
    if (event->type() == QEvent::PaletteChange) {
        for (QLabel *label : { LabelTreeView, LabelDrivesLocations }) {
            if (label)
                colourAsLink(label);
        }
    }
    QDialog::changeEvent(event);
}

void TFormTreeViewHint::FormCreate()
{
    ScaleForm(this, DisplayScale);
}

bool TFormTreeViewHint::eventFilter(QObject *watched, QEvent *event)
{
    auto *label = qobject_cast<QLabel *>(watched);
    if (!label || (label != LabelTreeView && label != LabelDrivesLocations))
        return QDialog::eventFilter(watched, event);
    const auto follow = [this, label] {
        if (label == LabelTreeView)
            LabelTreeViewClick();
        else
            LabelDrivesLocationsClick();
    };
    switch (event->type()) {
    case QEvent::Enter:
        LabelHint1LinkMouseEnter(label);
        break;
    case QEvent::Leave:
        LabelHint1LinkMouseLeave(label);
        break;
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
            follow();
            return true;
        }
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            follow();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormTreeViewHint::LabelHint1LinkMouseEnter(QLabel *label)
{
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
}

void TFormTreeViewHint::LabelHint1LinkMouseLeave(QLabel *label)
{
    QFont font = label->font();
    font.setUnderline(false);
    label->setFont(font);
}

void TFormTreeViewHint::LabelTreeViewClick()
{
    platform::sendWindowMessage(m_browserWindow, bdMsgPanelTree);
}

void TFormTreeViewHint::LabelDrivesLocationsClick()
{
    platform::sendWindowMessage(m_browserWindow, bdMsgPanelLocations);
}

void TFormTreeViewHint::Button1Click()
{
    close();
}

void TFormTreeViewHint::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TFormTreeViewHint::FormClose()
{
    ShowTreeViewHint = !CheckBoxDoNotShowAgain->isChecked();
    setAttribute(Qt::WA_DeleteOnClose);
    if (FormTreeViewHint == this)
        FormTreeViewHint = nullptr;
}
