#include "app/QueueListRules.h"

#include "model/QueueModel.h"
#include "model/Settings.h"
#include "platform/Folders.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

#include <utility>

namespace {

// Like the shell's "open"; false when nothing on the desktop opened it.
bool OpenWithDefault(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

} // namespace

QueueListRules::QueueListRules(const Settings& settings, QueueModel& queue, std::function<bool()> busy)
    : m_settings(settings), m_queue(queue), m_busy(std::move(busy))
{ }

QString QueueListRules::NotOpenedText(const QString& what)
{
    return QCoreApplication::translate("QueueListRules", "Nothing on this desktop opens %1.").arg(what);
}

void QueueListRules::KeyDown(int key, int row)
{
    if (busy() || row < 0 || row >= m_queue.count())
        return;
    if (key != Qt::Key_Delete)
        return;
    m_queue.remove(row);
}

QueueClick QueueListRules::HitTest(int x, const std::array<int, 4>& w, RowState state)
{
    const int beforeDelete = w[0] + w[1] + w[2] + w[3];
    const int beforeConverted = w[0] + w[1] + w[2];
    if (x > beforeDelete && state == RowState::Pending)
        return QueueClick::RemoveRow;
    if (x > beforeConverted && x < beforeDelete && state == RowState::Done)
        return QueueClick::OpenOutputFolder;
    if (x > w[0] && x < w[0] + w[1])
        return QueueClick::OpenSource;
    return QueueClick::Nothing;
}

QString QueueListRules::Click(int row, int x, const std::array<int, 4>& widths)
{
    if (busy() || row < 0 || row >= m_queue.count())
        return {};
    switch (HitTest(x, widths, m_queue.state(row))) {
    case QueueClick::RemoveRow: m_queue.remove(row); break;
    case QueueClick::OpenOutputFolder: return OpenOutputFolder(row);
    case QueueClick::OpenSource: {
        const QString source = m_queue.path(row);
        return OpenWithDefault(QUrl::fromLocalFile(source)) ? QString() : NotOpenedText(source);
    }
    case QueueClick::Nothing: break;
    }
    return {};
}

QString QueueListRules::OpenOutputFolder(int row)
{
    if (row < 0 || row >= m_queue.count() || m_queue.state(row) != RowState::Done)
        return {};
    // Where the file was written, though the output folder may have changed since.
    const QString written = Folders::FolderPart(m_queue.output(row));
    const QString& work = written.isEmpty() ? m_settings.WorkDir : written;
    const QString folder = Folders::TrimControls(work.endsWith(QLatin1Char('/')) ? work : work + QLatin1Char('/'));
    return OpenWithDefault(QUrl::fromLocalFile(folder)) ? QString() : NotOpenedText(folder);
}

void QueueListRules::Remove(int row)
{
    if (row < 0 || row >= m_queue.count() || !Offers(RowAction::Remove, m_queue.state(row), false, busy()))
        return;
    m_queue.remove(row);
}

void QueueListRules::TryAgain(int row)
{
    m_queue.requeue(row);
}

bool QueueListRules::Offers(RowAction action, RowState state, bool converting, bool busy)
{
    switch (action) {
    case RowAction::Stop: return converting;
    case RowAction::TryAgain: return state == RowState::Failed;
    case RowAction::Remove: return !busy && state != RowState::Converting;
    case RowAction::OpenFolder: return state == RowState::Done;
    }
    return false;
}
