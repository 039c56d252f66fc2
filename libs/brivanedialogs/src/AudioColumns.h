#pragma once

#include "AudioProperties.h"
#include "FolderEntry.h"

#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QMenu;
class QTreeView;

namespace bd {

class AudioProperties;
class FileListModel;

// The audio columns of the details view (duration, sample rate, bit depth,
// channels, bit rate): which are shown, picked from the header's context
// menu, and their values, read for the rows on screen and a page either side
// whenever that range or a file in it may have changed. Sorted by an audio
// column, the list needs every file's value: the rest of the folder is read
// after those rows, and the progress is told.
class AudioColumns : public QObject
{
    Q_OBJECT

public:
    AudioColumns(FileListModel *model, QTreeView *details, QObject *parent = nullptr);

    // Bit i shows column kFirstAudioColumn + i.
    void setShownMask(quint32 mask);
    quint32 shownMask() const;
    static constexpr quint32 kDefaultShown = 1; // duration only
    static constexpr quint32 kAllShown = (1u << kAudioColumnCount) - 1;

    // The header's menu (also what a right click on the header shows).
    QMenu *makeHeaderMenu(QWidget *parent);

    // "reading durations… 120 of 300" while a list sorted by an audio column
    // waits for values; empty otherwise.
    QString progressText() const;

Q_SIGNALS:
    void progressChanged();
    // What the header probe read, as it arrives.
    void read(const QVector<bd::AudioReading> &readings);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void schedule();
    bool hasUnreadFile(int first, int last) const;
    void readVisibleRows();
    void countProgress();

    FileListModel *m_model;
    QPointer<QTreeView> m_details;
    // Compared with, never called: events arrive while the view is destroyed.
    const QObject *m_view;
    const QObject *m_viewport;
    AudioProperties *m_reader = nullptr; // made when first needed
    QTimer m_timer;
    int m_unread = 0; // files of an audio-sorted list without their values
    int m_files = 0;
};

// The header of an audio column.
QString audioColumnTitle(int column);
// What an audio column shows of a file: empty when unknown.
QString audioText(const AudioDetails &details, int column, const QLocale &locale);

} // namespace bd
