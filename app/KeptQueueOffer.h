#pragma once

#include <QString>

class QueueActions;
class QueueKeeper;
class QueueModel;

// The start's offer of the files an earlier start left unconverted.
namespace KeptQueueOffer {

// "12 files were not converted when Vantrel last closed. Queue them again?"
QString QuestionText(int files);

// Tells once what kept the list from being used, asks when files were left,
// and on Yes queues them through the add account, as any add does, so that a
// file gone or changed since is told as an add tells it; a file that had
// failed comes back failed, with its reason. Then the keeper keeps the queue.
void Make(QueueKeeper& keeper, QueueActions& actions, QueueModel& queue);

} // namespace KeptQueueOffer
