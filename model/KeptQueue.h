#pragma once

#include "model/RowState.h"

#include <QByteArray>
#include <QString>

#include <vector>

class QueueModel;

// A row of the queue kept for the next start: its source, whether it was
// waiting, converting or had failed, and a failed row's reason.
struct KeptRow
{
    QString path;
    RowState state = RowState::Pending;
    QString failureDetail;

    bool operator==(const KeptRow&) const = default;
};

// The kept queue as bytes, and back. A line per row: the state, the source's
// own bytes and the failure's text, tab separated, with backslash, tab, line
// feed and carriage return escaped, so any name comes back byte for byte. The
// first line names the format's version.
namespace KeptQueue {

constexpr int Version = 1;
// Far beyond any queue a user makes; a larger file is not read into memory.
constexpr qsizetype MostBytes = 16 * 1024 * 1024;

// The rows not "Done", in the queue's order.
std::vector<KeptRow> RowsOf(const QueueModel& queue);

QByteArray Encode(const std::vector<KeptRow>& rows);

struct Decoded
{
    std::vector<KeptRow> rows;
    QString refusal; // why nothing of it can be trusted, as a clause ("it is damaged"); empty when read
};
Decoded Decode(const QByteArray& bytes);

} // namespace KeptQueue
