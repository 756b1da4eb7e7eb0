#include "model/KeptQueue.h"

#include "model/QueueModel.h"
#include "platform/NativePath.h"

#include <QCoreApplication>
#include <QList>

#include <array>

namespace KeptQueue {

namespace {

const QByteArray Heading = QByteArrayLiteral("Vantrel queue ");

// The words a row's state is written as; "Done" rows are never kept.
constexpr std::array<std::pair<RowState, const char*>, 3> StateWords{
    {{RowState::Pending, "pending"}, {RowState::Converting, "converting"}, {RowState::Failed, "failed"}}};

QByteArray Escaped(const QByteArray& bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

// False for an escape the writer never makes.
bool Unescaped(const QByteArray& field, QByteArray& out)
{
    out.clear();
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (++i == field.size())
            return false;
        switch (field[i]) {
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return false;
        }
    }
    return true;
}

QString DamagedAt(qsizetype line)
{
    return QCoreApplication::translate("KeptQueue", "it is damaged at line %1").arg(line);
}

} // namespace

std::vector<KeptRow> RowsOf(const QueueModel& queue)
{
    std::vector<KeptRow> rows;
    for (int row = 0; row < queue.count(); ++row) {
        const RowState state = queue.state(row);
        if (state == RowState::Done)
            continue;
        rows.push_back({queue.path(row), state, state == RowState::Failed ? queue.failureDetail(row) : QString()});
    }
    return rows;
}

QByteArray Encode(const std::vector<KeptRow>& rows)
{
    QByteArray bytes = Heading + QByteArray::number(Version) + '\n';
    for (const KeptRow& row : rows) {
        for (const auto& [state, word] : StateWords) {
            if (state == row.state)
                bytes += word;
        }
        bytes += '\t' + Escaped(NativePath::Encode(row.path)) + '\t' + Escaped(NativePath::Encode(row.failureDetail))
                 + '\n';
    }
    return bytes;
}

Decoded Decode(const QByteArray& bytes)
{
    if (bytes.size() > MostBytes)
        return {{}, QCoreApplication::translate("KeptQueue", "it is larger than any queue Vantrel writes")};
    // Written whole or not at all: a file cut short was not written by us.
    if (!bytes.startsWith(Heading) || !bytes.endsWith('\n'))
        return {{}, DamagedAt(1)};
    const QList<QByteArray> lines = bytes.left(bytes.size() - 1).split('\n');
    bool isNumber = false;
    const int version = lines.constFirst().mid(Heading.size()).toInt(&isNumber);
    if (!isNumber || version < 1)
        return {{}, DamagedAt(1)};
    if (version > Version)
        return {{}, QCoreApplication::translate("KeptQueue", "it was written by a newer version of Vantrel")};

    Decoded decoded;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].split('\t');
        KeptRow row;
        bool known = false;
        for (const auto& [state, word] : StateWords) {
            if (!fields.isEmpty() && fields.constFirst() == word) {
                row.state = state;
                known = true;
            }
        }
        QByteArray path;
        QByteArray detail;
        if (!known || fields.size() != 3 || !Unescaped(fields[1], path) || path.isEmpty()
            || !Unescaped(fields[2], detail))
            return {{}, DamagedAt(i + 1)};
        row.path = NativePath::Decode(path);
        row.failureDetail = NativePath::Decode(detail);
        decoded.rows.push_back(std::move(row));
    }
    return decoded;
}

} // namespace KeptQueue
