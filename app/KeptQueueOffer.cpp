#include "app/KeptQueueOffer.h"

#include "core/QueueKeeper.h"
#include "model/QueueModel.h"
#include "platform/Prompt.h"
#include "queue/QueueActions.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringList>

namespace KeptQueueOffer {

QString QuestionText(int files)
{
    return QCoreApplication::translate(
        "KeptQueueOffer", "%n files were not converted when Vantrel last closed. Queue them again?", nullptr, files);
}

void Make(QueueKeeper& keeper, QueueActions& actions, QueueModel& queue)
{
    const QueueKeeper::Taken taken = keeper.Take();
    if (!taken.trouble.isEmpty())
        Prompt::message(taken.trouble);
    if (!taken.rows.empty() && Prompt::question(QuestionText(static_cast<int>(taken.rows.size())))) {
        QStringList paths;
        QHash<QString, QString> failed;
        for (const KeptRow& row : taken.rows) {
            paths << row.path;
            if (row.state == RowState::Failed)
                failed.insert(row.path, row.failureDetail);
        }
        if (!failed.isEmpty()) {
            // Lives as long as the add: its rows are marked as they are queued,
            // before a conversion could take them.
            auto* marker = new QObject(&actions);
            QObject::connect(&actions, &QueueActions::accounted, marker,
                             [&queue, failed](const AddOutcome& outcome) mutable {
                                 const int row = outcome.queued() ? queue.rowOf(outcome.id) : -1;
                                 if (row < 0 || !failed.contains(outcome.path))
                                     return;
                                 queue.setState(row, RowState::Failed);
                                 queue.setFailureDetail(row, failed.take(outcome.path));
                             });
            QObject::connect(&actions, &QueueActions::measuringChanged, marker, [marker](int, int total) {
                if (total == 0)
                    marker->deleteLater();
            });
        }
        actions.QueueIncoming(paths);
    }
    keeper.Keep();
}

} // namespace KeptQueueOffer
