#include "model/QueueModel.h"

#include "platform/Folders.h"
#include "platform/NativePath.h"

#include <QCoreApplication>

QString NamePart(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

QueueModel::QueueModel(QObject* parent) : QAbstractTableModel(parent)
{ }

quint64 QueueModel::append(const QString& path, qint64 seconds, qint64 milliseconds, const QString& sourceWarning,
                           qint64 framePixels)
{
    Row row;
    row.cells[ColType] = QStringLiteral("FLV");
    // An old archive's Latin-1 name reads as Latin-1, as its output will be
    // named; a control character shows as an escape.
    row.cells[ColFileName] = NamePart(NativePath::Readable(Folders::FileNamePart(path)));
    row.cells[ColProgress] = RowStateText(RowState::Pending);
    row.cells[ColDelete] = QStringLiteral("X");
    row.path = path;
    row.id = ++m_lastId;
    row.seconds = seconds;
    row.milliseconds = milliseconds;
    row.sourceWarning = sourceWarning;
    row.framePixels = framePixels;
    const quint64 id = row.id;

    const int at = count();
    beginInsertRows({}, at, at);
    m_rows.push_back(std::move(row));
    endInsertRows();
    return id;
}

int QueueModel::rowOf(quint64 id) const
{
    for (int row = 0; row < count(); ++row) {
        if (m_rows[row].id == id)
            return row;
    }
    return -1;
}

void QueueModel::remove(int row)
{
    if (row < 0 || row >= count())
        return;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

bool QueueModel::requeue(int row)
{
    if (row < 0 || row >= count() || m_rows[row].state != RowState::Failed)
        return false;
    setState(row, RowState::Pending);
    setConvertedFile(row, QString());
    setFailureDetail(row, QString());
    setOutput(row, QString());
    emit rowRequeued(m_rows[row].id);
    return true;
}

void QueueModel::setCell(int row, int column, const QString& text)
{
    if (row < 0 || row >= count())
        return;
    QString& cell = m_rows[row].cells[column];
    if (cell == text)
        return;
    cell = text;
    const QModelIndex at = index(row, column);
    emit dataChanged(at, at, {Qt::DisplayRole});
}

void QueueModel::setState(int row, RowState state, int percent)
{
    if (row < 0 || row >= count())
        return;
    m_rows[row].state = state;
    m_rows[row].percent = state == RowState::Converting ? percent : 0;
    if (state != RowState::Converting)
        m_rows[row].timeLeft.clear();
    setCell(row, ColProgress, RowStateText(state, percent));
}

void QueueModel::setTimeLeft(int row, const QString& text)
{
    if (row < 0 || row >= count() || m_rows[row].timeLeft == text || m_rows[row].state != RowState::Converting)
        return;
    m_rows[row].timeLeft = text;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::ToolTipRole});
}

void QueueModel::setOutput(int row, const QString& path)
{
    if (row >= 0 && row < count())
        m_rows[row].output = path;
}

QString QueueModel::failureReason(int row) const
{
    const QString& detail = m_rows.at(row).failureDetail;
    return detail.left(detail.indexOf(QLatin1Char('\n')));
}

void QueueModel::setFailureDetail(int row, const QString& text)
{
    if (row < 0 || row >= count())
        return;
    m_rows[row].failureDetail = text;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
}

QStringList QueueModel::PathList() const
{
    QStringList list;
    for (const Row& row : m_rows)
        list << row.path;
    return list;
}

QStringList QueueModel::DurationList() const
{
    QStringList list;
    for (const Row& row : m_rows)
        list << QString::number(row.seconds);
    return list;
}

QString QueueModel::columnCaption(int column)
{
    switch (column) {
    case ColType: return QCoreApplication::translate("QueueModel", "Type");
    case ColFileName: return QCoreApplication::translate("QueueModel", "File Name (click to view)");
    case ColProgress: return QCoreApplication::translate("QueueModel", "Progress");
    case ColConverted: return QCoreApplication::translate("QueueModel", "Converted File (click to open)");
    case ColDelete: return QCoreApplication::translate("QueueModel", "DEL");
    }
    return {};
}

int QueueModel::columnWidth(int column)
{
    static constexpr int widths[ColumnCount] = {40, 154, 65, 156, 34};
    return column >= 0 && column < ColumnCount ? widths[column] : 0;
}

int QueueModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int QueueModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant QueueModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const Row& row = m_rows[index.row()];
    if (role == Qt::DisplayRole)
        return row.cells[index.column()];
    // A reason may name a file.
    if (role == Qt::ToolTipRole && !row.failureDetail.isEmpty())
        return NativePath::ReadableLines(row.failureDetail);
    if (role == Qt::ToolTipRole && !row.timeLeft.isEmpty())
        return row.timeLeft;
    // A screen reader names every cell, the empty ones and the "X" too.
    if (role == Qt::AccessibleTextRole) {
        if (index.column() == ColDelete)
            return QCoreApplication::translate("QueueModel", "Remove");
        if (index.column() == ColConverted && row.cells[ColConverted].isEmpty())
            return row.state == RowState::Failed ? QCoreApplication::translate("QueueModel", "Not converted")
                                                 : QCoreApplication::translate("QueueModel", "Not yet converted");
        return row.cells[index.column()];
    }
    if (role == Qt::AccessibleDescriptionRole && row.state == RowState::Failed
        && (index.column() == ColConverted || index.column() == ColProgress))
        return NativePath::Readable(failureReason(index.row()));
    if (role == StateRole)
        return static_cast<int>(row.state);
    if (role == PercentRole)
        return row.percent;
    return {};
}

QVariant QueueModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return columnCaption(section);
    return {};
}
