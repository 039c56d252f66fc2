#include "NameFilterBar.h"

#include "DrawnIcons.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>

namespace bd {

NameFilterBar::NameFilterBar(const UiScale &scale, QWidget *parent)
    : QWidget(parent)
    , m_label(new QLabel(tr("&Find:"), this))
    , m_edit(new QLineEdit(this))
    , m_scope(new QComboBox(this))
    , m_close(new QToolButton(this))
{
    setObjectName(QStringLiteral("NameFilterBar"));
    setAccessibleName(tr("Find in folder"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(scale.px(4));

    m_label->setObjectName(QStringLiteral("NameFilterLabel"));
    m_label->setAccessibleName(m_label->text().remove(u'&'));
    m_label->setBuddy(m_edit);
    m_edit->setObjectName(QStringLiteral("NameFilterEdit"));
    m_edit->setAccessibleName(tr("Find in folder"));
    m_edit->installEventFilter(this);
    m_scope->setObjectName(QStringLiteral("FindScope"));
    m_scope->setAccessibleName(tr("Look in"));
    m_scope->setToolTip(tr("Where to look"));
    // Item data is the stored FindScope value.
    m_scope->addItem(tr("This folder"), int(FindScope::Folder));
    m_scope->addItem(tr("This folder and below"), int(FindScope::Below));
    m_scope->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_close->setObjectName(QStringLiteral("NameFilterClose"));
    m_close->setAccessibleName(tr("Close find in folder"));
    m_close->setToolTip(tr("Show all files (Esc)"));
    m_close->setIcon(drawnIcon(DrawnIcon::Close));
    m_close->setAutoRaise(true);

    layout->addWidget(m_label);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_scope);
    layout->addWidget(m_close);
    setScope(FindScope::Folder);

    connect(m_edit, &QLineEdit::textChanged, this, &NameFilterBar::textChanged);
    connect(m_scope, &QComboBox::currentIndexChanged, this, [this] {
        setScope(scope()); // the field's hint follows
        Q_EMIT scopeChanged(scope());
    });
    connect(m_close, &QToolButton::clicked, this, &NameFilterBar::clearAndClose);
    hide();
}

void NameFilterBar::open()
{
    show();
    m_edit->setFocus(Qt::ShortcutFocusReason);
    m_edit->selectAll();
}

void NameFilterBar::clearAndClose()
{
    m_edit->clear();
    const bool wasVisible = isVisible();
    hide();
    if (wasVisible)
        Q_EMIT closed();
}

void NameFilterBar::typeText(const QString &text)
{
    show();
    m_edit->setFocus(Qt::OtherFocusReason);
    m_edit->deselect();
    m_edit->end(false);
    m_edit->insert(text);
}

FindScope NameFilterBar::scope() const
{
    return FindScope(m_scope->currentData().toInt());
}

void NameFilterBar::setScope(FindScope scope)
{
    {
        const QSignalBlocker quiet(m_scope);
        m_scope->setCurrentIndex(m_scope->findData(int(scope)));
    }
    // Below the folder the text is a query: words of names, folders and
    // tags, and the filters people would not guess.
    m_edit->setPlaceholderText(
        scope == FindScope::Below ? tr("Words, or filters such as dur:<2s rate:48k ch:1 flac") : tr("Part of a name"));
}

void NameFilterBar::offerScopeChoice(bool offer)
{
    if (!offer)
        setScope(FindScope::Folder);
    m_scope->setVisible(offer);
}

QString NameFilterBar::text() const
{
    return m_edit->text();
}

bool NameFilterBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Escape:
            clearAndClose();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            Q_EMIT returnToListRequested();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace bd
