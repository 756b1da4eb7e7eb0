#pragma once

#include "model/RowState.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <vector>

// A file name up to its last full stop; a name without one stays whole.
QString NamePart(const QString& fileName);

// The conversion queue: one row per queued file, holding the five cells shown
// in the list, the source path and the probed duration. PathList and
// DurationList are views of the same rows, so they never disagree in length.
// Each row has an id of its own that no other row of the model ever takes, so
// work on a row can find it again after rows before it were removed.
class QueueModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { ColType = 0, ColFileName = 1, ColProgress = 2, ColConverted = 3, ColDelete = 4, ColumnCount = 5 };
    // For drawing a row: its RowState as an int, and the percentage of a converting row.
    enum Role { StateRole = Qt::UserRole, PercentRole };

    explicit QueueModel(QObject* parent = nullptr);

    // Appends a "Pending" row for a probed file; seconds is the duration the
    // progress divides by, milliseconds the duration as measured, -1 when not
    // known; sourceWarning what measuring found amiss in the source, told
    // when its conversion is done. Returns the row's id.
    // framePixels is the source's frame size as width times height: 0 without pictures, -1 when not known.
    quint64 append(const QString& path, qint64 seconds, qint64 milliseconds = -1, const QString& sourceWarning = {},
                   qint64 framePixels = -1);
    void remove(int row);
    // Sets a "Failed" row back to "Pending", without its reason and output,
    // and says so with rowRequeued; false for a row that has not failed.
    bool requeue(int row);
    int count() const { return static_cast<int>(m_rows.size()); }

    QString path(int row) const { return m_rows.at(row).path; }
    qint64 seconds(int row) const { return m_rows.at(row).seconds; }
    quint64 id(int row) const { return m_rows.at(row).id; }
    // The row that has the id now; -1 when it was removed.
    int rowOf(quint64 id) const;
    // The probed duration as measured, in milliseconds; -1 when not known.
    qint64 milliseconds(int row) const { return m_rows.at(row).milliseconds; }
    QString sourceWarning(int row) const { return m_rows.at(row).sourceWarning; }
    qint64 framePixels(int row) const { return m_rows.at(row).framePixels; }
    QString cell(int row, int column) const { return m_rows.at(row).cells[column]; }
    RowState state(int row) const { return m_rows.at(row).state; }
    // The Progress cell's text.
    QString progress(int row) const { return cell(row, ColProgress); }
    QString convertedFile(int row) const { return cell(row, ColConverted); }
    QString failureDetail(int row) const { return m_rows.at(row).failureDetail; }
    // The detail's first line: the reason itself, without ffmpeg's last lines.
    // A failed row shows it in its Converted File cell and gives it to screen
    // readers as that cell's description.
    QString failureReason(int row) const;
    // The file the row's conversion writes; empty until it has started.
    QString output(int row) const { return m_rows.at(row).output; }
    void setOutput(int row, const QString& path);

    // percent counts only for RowState::Converting.
    void setState(int row, RowState state, int percent = 0);
    void setConvertedFile(int row, const QString& text) { setCell(row, ColConverted, text); }
    // Why a conversion failed, or what to know of a finished one; shown as the row's tooltip.
    void setFailureDetail(int row, const QString& text);
    // A converting row's time left, as its tooltip says it; gone when the row leaves "N% Done".
    void setTimeLeft(int row, const QString& text);

    QStringList PathList() const;
    QStringList DurationList() const;

    static QString columnCaption(int column);
    static int columnWidth(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // A failed row, by its id, is "Pending" again, for a running conversion to take.
    void rowRequeued(quint64 id);

private:
    struct Row
    {
        QString cells[ColumnCount];
        QString path;
        quint64 id = 0;
        qint64 seconds = 0;
        qint64 milliseconds = -1;
        QString sourceWarning;
        qint64 framePixels = -1;
        QString failureDetail;
        QString output;
        QString timeLeft;
        RowState state = RowState::Pending;
        int percent = 0;
    };

    void setCell(int row, int column, const QString& text);

    std::vector<Row> m_rows;
    quint64 m_lastId = 0;
};
