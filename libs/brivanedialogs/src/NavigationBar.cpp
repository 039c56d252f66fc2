#include "NavigationBar.h"

#include "DrawnIcons.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

namespace bd {

NavigationBar::NavigationBar(
    const QString &title, const FilterList &filters, bool showFilter, const UiScale &scale, QWidget *parent)
    : QWidget(parent)
    , m_scale(scale)
    , m_title(new QLabel(title, this))
    , m_path(new QLineEdit(this))
    , m_pathError(new QLabel(this))
    , m_views(new QButtonGroup(this))
    , m_filter(new QComboBox(this))
{
    setObjectName(QStringLiteral("NavigationBar"));
    setAccessibleName(tr("Navigation bar"));
    m_back = makeButton(QStringLiteral("BackButton"), tr("Back"), drawnIcon(DrawnIcon::Back), tr("Back (Alt+Left)"));
    m_forward = makeButton(
        QStringLiteral("ForwardButton"), tr("Forward"), drawnIcon(DrawnIcon::Forward), tr("Forward (Alt+Right)"));
    m_up = makeButton(QStringLiteral("UpButton"), tr("Up"), drawnIcon(DrawnIcon::Up), tr("Up one folder (Backspace)"));
    m_refresh
        = makeButton(QStringLiteral("RefreshButton"), tr("Refresh"), drawnIcon(DrawnIcon::Refresh), tr("Refresh (F5)"));
    connect(m_back, &QToolButton::clicked, this, &NavigationBar::backRequested);
    connect(m_forward, &QToolButton::clicked, this, &NavigationBar::forwardRequested);
    connect(m_up, &QToolButton::clicked, this, &NavigationBar::upRequested);
    connect(m_refresh, &QToolButton::clicked, this, &NavigationBar::refreshRequested);

    m_title->setObjectName(QStringLiteral("TitleLabel"));
    m_title->setAccessibleDescription(tr("Title"));
    m_title->setVisible(!title.isEmpty());
    m_title->setBuddy(m_path);

    m_path->setObjectName(QStringLiteral("PathEdit"));
    m_path->setAccessibleName(tr("Folder path"));
    m_path->setToolTip(tr("Type a folder and press Enter"));
    connect(m_path, &QLineEdit::returnPressed, this, [this] { Q_EMIT pathEntered(m_path->text()); });
    connect(m_path, &QLineEdit::textEdited, this, [this] {
        setPathError({});
        addCompleter();
    });

    m_pathError->setObjectName(QStringLiteral("PathErrorLabel"));
    m_pathError->setAccessibleName(tr("Path error"));
    m_pathError->setWordWrap(true);
    m_pathError->hide();
    colourPathError();

    const struct
    {
        ViewMode mode;
        QString objectName;
        QString text;
        DrawnIcon icon;
    } views[] = {
        { ViewMode::Details, QStringLiteral("DetailsViewButton"), tr("Details"), DrawnIcon::DetailsView },
        { ViewMode::List, QStringLiteral("ListViewButton"), tr("List"), DrawnIcon::ListView },
        { ViewMode::Thumbnails, QStringLiteral("ThumbnailsViewButton"), tr("Thumbnails"), DrawnIcon::ThumbnailsView },
    };
    auto *viewRow = new QHBoxLayout;
    viewRow->setSpacing(0);
    for (const auto &view : views) {
        const QString shortcut = QStringLiteral(" (Ctrl+%1)").arg(int(view.mode) + 1);
        QToolButton *button = makeButton(view.objectName, view.text, drawnIcon(view.icon), view.text + shortcut);
        button->setCheckable(true);
        m_views->addButton(button, int(view.mode));
        viewRow->addWidget(button);
    }
    m_views->setExclusive(true);
    connect(m_views, &QButtonGroup::idClicked, this, [this](int id) { Q_EMIT viewModeRequested(ViewMode(id)); });

    m_filter->setObjectName(QStringLiteral("FilterBox"));
    m_filter->setAccessibleName(tr("File type filter"));
    for (qsizetype i = 0; i < filters.size(); ++i) {
        const FileFilter &filter = filters.at(i);
        m_filter->addItem(filter.description().isEmpty() ? filter.patterns().join(u';') : filter.description());
        m_filter->setItemData(int(i), filter.patterns().join(u';'), Qt::ToolTipRole);
    }
    m_filter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_filter->setMinimumContentsLength(12);
    m_filter->setVisible(showFilter && !filters.isEmpty());
    connect(m_filter, &QComboBox::currentIndexChanged, this, &NavigationBar::filterIndexChanged);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(scale.px(4));
    grid->setVerticalSpacing(scale.px(3));
    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(m_title);
    pathRow->addWidget(m_path, 1);
    grid->addLayout(pathRow, 0, 0);
    grid->addWidget(m_pathError, 1, 0);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(scale.px(2));
    for (QToolButton *button : { m_back, m_forward, m_up, m_refresh })
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addLayout(viewRow);
    buttons->addSpacing(scale.px(6));
    buttons->addWidget(m_filter);
    grid->addLayout(buttons, 2, 0);
}

QToolButton *NavigationBar::makeButton(
    const QString &objectName, const QString &text, const QIcon &icon, const QString &toolTip)
{
    auto *button = new QToolButton(this);
    button->setObjectName(objectName);
    button->setAccessibleName(text);
    button->setText(text);
    button->setIcon(icon);
    button->setToolTip(toolTip);
    button->setAutoRaise(true);
    button->setIconSize(m_scale.px(QSize(16, 16)));
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

void NavigationBar::colourPathError()
{
    // An error red, dark on a light window and light on a dark one, so it
    // reads under any palette the desktop gives.
    const bool darkWindow = palette().color(QPalette::Window).lightnessF() < 0.5;
    QPalette errorPalette = m_pathError->palette();
    errorPalette.setColor(QPalette::WindowText, darkWindow ? QColor(0xFF, 0x8A, 0x80) : QColor(0xB0, 0x00, 0x20));
    m_pathError->setPalette(errorPalette);
}

void NavigationBar::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        colourPathError();
}

QList<QWidget *> NavigationBar::tabOrder() const
{
    QList<QWidget *> order { m_path, m_back, m_forward, m_up, m_refresh };
    for (QAbstractButton *button : m_views->buttons())
        order.append(button);
    order.append(m_filter);
    return order;
}

void NavigationBar::addCompleter()
{
    // Made at the first keystroke in the path bar, not with every browser.
    if (m_path->completer())
        return;
    auto *folders = new QFileSystemModel(this);
    folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders->setRootPath(QString());
    auto *completer = new QCompleter(folders, this);
    completer->setObjectName(QStringLiteral("PathCompleter"));
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_path->setCompleter(completer);
}

void NavigationBar::setPath(const QString &path)
{
    m_path->setText(path);
    setPathError({});
}

void NavigationBar::setPathError(const QString &text)
{
    m_pathError->setText(text);
    m_pathError->setVisible(!text.isEmpty());
}

void NavigationBar::setHistoryState(bool canBack, bool canForward, bool canUp)
{
    m_back->setEnabled(canBack);
    m_forward->setEnabled(canForward);
    m_up->setEnabled(canUp);
}

void NavigationBar::setViewMode(ViewMode mode)
{
    if (QAbstractButton *button = m_views->button(int(mode)))
        button->setChecked(true);
}

void NavigationBar::setFilterIndex(int index)
{
    if (index >= 0 && index < m_filter->count())
        m_filter->setCurrentIndex(index);
}

int NavigationBar::filterIndex() const
{
    return m_filter->count() > 0 ? m_filter->currentIndex() : -1;
}

} // namespace bd
