#include "ModalDialog.h"

#include "BrowserSetup.h"
#include "BrowserWidget.h"
#include "FileListModel.h"
#include "FileViews.h"
#include "MessageRouter.h"
#include "platform/WindowMessage.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QTreeView>
#include <QVBoxLayout>

namespace bd {

namespace {

QString defaultTitle(TBVDialogType type)
{
    switch (type) {
    case bvdtSaveDialog:
        return ModalDialog::tr("Save as");
    case bvdtFolderDialog:
        return ModalDialog::tr("Select folder");
    default:
        return ModalDialog::tr("Open");
    }
}

} // namespace

int ModalDialog::run(const DialogRequest &request, TOpenDialogResults *results)
{
    QPointer<ModalDialog> dialog = new ModalDialog(request, platform::widgetOf(request.params->ParentWindow));
    dialog->m_sink.windowCreated(dialog);
    if (!dialog)
        return 0;
    const RememberedState remembered = DialogSettings::readState(request.guid);
    dialog->m_browser->openFolder(initialFolder(request, remembered));
    const int code = dialog->exec();
    if (!dialog) // its owner went away while it was open
        return 0;
    const bool confirmed = code == QDialog::Accepted;
    const int filterIndex = dialog->m_browser->filterIndex();
    if (confirmed) {
        dialog->m_sink.selection(dialog, dialog->m_chosen, filterIndex);
        if (dialog) {
            DialogSettings::writeState(request.guid, dialog->m_browser->rememberedState());
            DialogSettings::writeRecentFolders(dialog->m_browser->recentFolders());
        }
    }
    if (results) {
        results->Successfull = confirmed ? 1 : 0;
        results->FileCount = confirmed ? std::uint32_t(dialog ? dialog->m_chosen.size() : 0) : 0;
        results->FilterIndex = filterIndex;
    }
    delete dialog.data();
    return confirmed ? 1 : 0;
}

ModalDialog::ModalDialog(const DialogRequest &request, QWidget *owner)
    : QDialog(owner)
    , m_request(request)
    , m_sink(request.params)
    , m_name(new QLineEdit(this))
    , m_error(new QLabel(this))
    , m_ok(new QPushButton(tr("OK"), this))
    , m_cancel(new QPushButton(tr("Cancel"), this))
{
    setObjectName(QStringLiteral("BrivaneDialogsDialog"));
    setWindowTitle(request.title.isEmpty() ? defaultTitle(request.type) : request.title);
    setAccessibleName(windowTitle());
    setFont(scaledFont(font(), request.scale));
    setSizeGripEnabled(true);

    const RememberedState remembered = DialogSettings::readState(request.guid);
    BrowserConfig config = browserConfig(request, remembered, DialogSettings::readLibrarySettings());
    config.title.clear(); // already the window's title
    m_browser = new BrowserWidget(config, this);

    const bool folders = request.type == bvdtFolderDialog;
    auto *nameLabel = new QLabel(folders ? tr("Folder:") : tr("File name:"), this);
    nameLabel->setObjectName(QStringLiteral("FileNameLabel"));
    nameLabel->setAccessibleName(nameLabel->text());
    nameLabel->setBuddy(m_name);
    m_name->setObjectName(QStringLiteral("FileNameEdit"));
    m_name->setAccessibleName(folders ? tr("Folder") : tr("File name"));
    m_name->setText(request.fileName);
    m_browser->watchTextField(m_name);
    const bool showName = !request.hasEx(ofExNoFileName);
    nameLabel->setVisible(showName);
    m_name->setVisible(showName);

    m_error->setObjectName(QStringLiteral("DialogErrorLabel"));
    m_error->setAccessibleName(tr("Error"));
    m_error->setWordWrap(true);
    m_error->hide();

    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_ok->setAccessibleName(tr("OK"));
    m_ok->setDefault(true);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_cancel->setAccessibleName(tr("Cancel"));
    connect(m_ok, &QPushButton::clicked, this, &ModalDialog::tryAccept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(nameLabel);
    bottom->addWidget(m_name, 1);
    bottom->addWidget(m_ok);
    bottom->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser, 1);
    layout->addWidget(m_error);
    layout->addLayout(bottom);
    resize(request.scale.px(QSize(780, 520)));

    connectHook(m_browser, this, m_sink);
    connect(m_browser, &BrowserWidget::selectionChanged, this, &ModalDialog::selectionChanged);
    connect(m_browser, &BrowserWidget::fileActivated, this, &ModalDialog::fileActivated);
    connect(m_name, &QLineEdit::textEdited, this, [this] { showError({}); });
    if (folders)
        connect(m_browser, &BrowserWidget::folderChanged, m_name, &QLineEdit::setText);

    // Enter in the list opens a folder and must not also press OK.
    FileViews *views = m_browser->fileViews();
    for (QAbstractItemView *view :
        { static_cast<QAbstractItemView *>(views->detailsView()), static_cast<QAbstractItemView *>(views->listView()),
            static_cast<QAbstractItemView *>(views->thumbnailView()) })
        view->installEventFilter(this);
    auto *confirm = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), this);
    connect(confirm, &QShortcut::activated, this, &ModalDialog::tryAccept);
    m_browser->focusFileList();
}

bool ModalDialog::event(QEvent *event)
{
    if (handleWindowMessage(event, m_browser, this, m_sink, {}))
        return true;
    return QDialog::event(event);
}

bool ModalDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && key->modifiers() == Qt::NoModifier) {
            auto *view = qobject_cast<QAbstractItemView *>(watched);
            const QModelIndex current = view ? view->currentIndex() : QModelIndex();
            const bool onSelectedItem = current.isValid() && view->selectionModel()->isSelected(current);
            if (onSelectedItem && current.data(FileListModel::IsDirRole).toBool())
                m_browser->openFolder(current.data(FileListModel::FullPathRole).toString());
            else
                tryAccept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ModalDialog::selectionChanged()
{
    const QStringList selected = m_browser->selectedPaths();
    if (m_request.type == bvdtFolderDialog) {
        m_name->setText(selected.size() == 1 ? selected.first() : QString());
        return;
    }
    QStringList files;
    for (const QString &path : selected) {
        if (!QFileInfo(path).isDir())
            files.append(QFileInfo(path).fileName());
    }
    if (files.size() == 1)
        m_name->setText(files.first());
    else if (files.size() > 1)
        m_name->setText(u'"' + files.join(QStringLiteral("\" \"")) + u'"');
}

void ModalDialog::fileActivated(const QString &fullName)
{
    if (m_request.type == bvdtFolderDialog)
        return;
    m_name->setText(QFileInfo(fullName).fileName());
    tryAccept();
}

QStringList ModalDialog::typedNames() const
{
    const QString text = m_name->text().trimmed();
    if (text.isEmpty())
        return {};
    QStringList names;
    if (text.startsWith(u'"')) {
        static const QRegularExpression quoted(QStringLiteral("\"([^\"]+)\""));
        for (const QRegularExpressionMatch &match : quoted.globalMatch(text))
            names.append(match.captured(1));
    } else {
        names.append(text);
    }
    QStringList paths;
    const QDir folder(m_browser->currentFolder());
    for (const QString &name : std::as_const(names)) {
        QString path = name;
        if (path == u"~" || path.startsWith(u"~/"))
            path = QDir::homePath() + path.mid(1);
        paths.append(QDir::cleanPath(folder.absoluteFilePath(path)));
    }
    return paths;
}

void ModalDialog::tryAccept()
{
    bool ok = false;
    switch (m_request.type) {
    case bvdtSaveDialog:
        ok = acceptSave();
        break;
    case bvdtFolderDialog:
        ok = acceptFolder();
        break;
    default:
        ok = acceptOpen();
        break;
    }
    if (ok)
        accept();
}

bool ModalDialog::acceptOpen()
{
    QStringList names = typedNames();
    if (names.isEmpty()) {
        for (const QString &path : m_browser->selectedPaths()) {
            if (!QFileInfo(path).isDir())
                names.append(path);
        }
    }
    if (names.isEmpty()) {
        const QStringList selected = m_browser->selectedPaths();
        if (selected.size() == 1)
            m_browser->openFolder(selected.first());
        return false;
    }
    if (names.size() == 1 && QFileInfo(names.first()).isDir()) {
        m_browser->openFolder(names.first());
        m_name->clear();
        return false;
    }
    if (!m_request.has(ofAllowMultiSelect) && names.size() > 1) {
        showError(tr("Choose one file."));
        return false;
    }
    const bool mustExist = m_request.has(ofFileMustExist) || m_request.has(ofPathMustExist);
    for (const QString &name : std::as_const(names)) {
        if (mustExist && !QFileInfo::exists(name)) {
            showError(tr("\"%1\" does not exist.").arg(QFileInfo(name).fileName()));
            return false;
        }
    }
    m_chosen = names;
    return true;
}

bool ModalDialog::acceptSave()
{
    const QStringList names = typedNames();
    if (names.size() != 1) {
        showError(names.isEmpty() ? tr("Type a file name.") : tr("Type one file name."));
        return false;
    }
    QString name = names.first();
    QFileInfo info(name);
    if (info.isDir()) {
        m_browser->openFolder(name);
        m_name->clear();
        return false;
    }
    if (!info.dir().exists()) {
        showError(tr("The folder \"%1\" does not exist.").arg(info.absolutePath()));
        return false;
    }
    if (info.suffix().isEmpty()) {
        QString extension = m_request.defaultExt;
        if (extension.isEmpty())
            extension = m_request.filters.filterAt(m_browser->filterIndex()).firstExtension();
        if (!extension.isEmpty())
            name += u'.' + extension;
    }
    if (QFileInfo::exists(name) && m_request.has(ofOverwritePrompt)) {
        const auto answer = QMessageBox::question(this, windowTitle(),
            tr("\"%1\" already exists.\nDo you want to replace it?").arg(QFileInfo(name).fileName()));
        if (answer != QMessageBox::Yes)
            return false;
    }
    m_chosen = { name };
    return true;
}

bool ModalDialog::acceptFolder()
{
    QString folder;
    const QStringList typed = typedNames();
    if (typed.size() == 1) {
        if (!QFileInfo(typed.first()).isDir()) {
            showError(tr("\"%1\" is not a folder that exists.").arg(m_name->text().trimmed()));
            return false;
        }
        folder = typed.first();
    } else {
        folder = m_browser->currentFolder();
    }
    m_chosen = { withTrailingSlash(QDir::cleanPath(folder)) };
    return true;
}

void ModalDialog::showError(const QString &text)
{
    m_error->setText(text);
    m_error->setVisible(!text.isEmpty());
}

} // namespace bd
