#include "core/QueueKeeper.h"

#include "model/QueueModel.h"
#include "platform/Error.h"
#include "platform/StateFile.h"
#include "queue/QueueActions.h"

#include <QCoreApplication>

namespace {

// Long enough to take an add's rows in a few writes, short enough that a
// crash loses hardly anything.
constexpr int GatherMs = 250;

} // namespace

QueueKeeper::QueueKeeper(const QueueModel& queue, const QueueActions& actions, QObject* parent)
    : QObject(parent), m_queue(queue), m_actions(actions)
{
    m_soon.setSingleShot(true);
    m_soon.setInterval(GatherMs);
    connect(&m_soon, &QTimer::timeout, this, &QueueKeeper::Save);
    const auto changed = [this] {
        if (m_keeping && !m_soon.isActive())
            m_soon.start();
    };
    connect(&queue, &QAbstractItemModel::rowsInserted, this, changed);
    connect(&queue, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(&queue, &QAbstractItemModel::modelReset, this, changed);
    // Most of these are progress ticks, which change nothing kept: Save() writes only what differs.
    connect(&queue, &QAbstractItemModel::dataChanged, this, changed);
    connect(&actions, &QueueActions::measuringChanged, this, changed);
    connect(&actions, &QueueActions::waitingAdded, this, changed);
}

QueueKeeper::~QueueKeeper() = default;

QString QueueKeeper::FileName()
{
    return QStringLiteral("queue");
}

QueueKeeper::Taken QueueKeeper::Take()
{
    Taken taken;
    QString why;
    try {
        const std::optional<QByteArray> bytes = StateFile::Read(FileName(), KeptQueue::MostBytes);
        KeptQueue::Decoded decoded = bytes ? KeptQueue::Decode(*bytes) : KeptQueue::Decoded{};
        if (decoded.refusal.isEmpty()) {
            taken.rows = std::move(decoded.rows);
            m_written = bytes.value_or(QByteArray());
            m_mayKeep = true;
            return taken;
        }
        why = QCoreApplication::translate("QueueKeeper", "The list of files left from the last time cannot be used: %1")
                  .arg(decoded.refusal);
    } catch (const VantrelError& e) {
        why = e.text();
    }
    try {
        const QString aside = StateFile::SetAside(FileName());
        taken.trouble = QCoreApplication::translate("QueueKeeper", "%1. It was renamed to \"%2\".").arg(why, aside);
        m_mayKeep = true;
    } catch (const VantrelError&) {
        // Written over, it would be lost: a file that can be neither read nor set aside is left alone.
        taken.trouble = why;
        m_told = true;
    }
    return taken;
}

void QueueKeeper::Keep()
{
    m_keeping = m_mayKeep;
    Save();
}

void QueueKeeper::Flush()
{
    if (m_soon.isActive()) {
        m_soon.stop();
        Save();
    }
}

void QueueKeeper::Save()
{
    if (!m_keeping)
        return;
    std::vector<KeptRow> rows = KeptQueue::RowsOf(m_queue);
    for (const QString& path : m_actions.unaccounted())
        rows.push_back({path, RowState::Pending, {}});
    const QByteArray bytes = rows.empty() ? QByteArray() : KeptQueue::Encode(rows);
    if (bytes == m_written)
        return;
    try {
        if (rows.empty())
            StateFile::Remove(FileName());
        else
            StateFile::Write(FileName(), bytes);
        m_written = bytes;
        m_told = false;
    } catch (const VantrelError& e) {
        if (!std::exchange(m_told, true))
            emit trouble(
                QCoreApplication::translate("QueueKeeper", "%1. The files in the list are not kept for the next start.")
                    .arg(e.text()));
    }
}
