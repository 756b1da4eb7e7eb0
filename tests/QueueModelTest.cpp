#include "model/QueueModel.h"

#include <gtest/gtest.h>

TEST(NamePart, CutsAtTheLastFullStopOnly)
{
    EXPECT_EQ(NamePart("clip.flv"), "clip");
    EXPECT_EQ(NamePart("my.video.flv"), "my.video");
    EXPECT_EQ(NamePart("noext"), "noext");
    EXPECT_EQ(NamePart(".flv"), "");
}

TEST(QueueModel, AppendedRowIsPendingWithItsCells)
{
    QueueModel q;
    q.append("/videos/my.clip.flv", 206);
    ASSERT_EQ(q.count(), 1);
    EXPECT_EQ(q.cell(0, QueueModel::ColType), "FLV");
    EXPECT_EQ(q.cell(0, QueueModel::ColFileName), "my.clip");
    EXPECT_EQ(q.progress(0), "Pending");
    EXPECT_EQ(q.convertedFile(0), "");
    EXPECT_EQ(q.cell(0, QueueModel::ColDelete), "X");
    EXPECT_EQ(q.path(0), "/videos/my.clip.flv");
    EXPECT_EQ(q.seconds(0), 206);
}

TEST(QueueModel, ViewsStayAlignedThroughAddsAndRemovals)
{
    QueueModel q;
    QList<quint64> ids;
    for (int i = 0; i < 5; ++i)
        ids << q.append(QStringLiteral("/v/%1.flv").arg(i), i + 1);
    ids << q.append("/v/2.flv", 3); // duplicates are allowed
    q.remove(1);
    q.remove(0);
    q.remove(99); // out of range changes nothing
    ASSERT_EQ(q.count(), 4);
    // A row's id finds it after the rows before it went; a removed row's finds none.
    EXPECT_EQ((QList<int>{q.rowOf(ids[0]), q.rowOf(ids[1]), q.rowOf(ids[2]), q.rowOf(ids[5])}),
              (QList<int>{-1, -1, 0, 3}));
    EXPECT_EQ(q.PathList(), (QStringList{"/v/2.flv", "/v/3.flv", "/v/4.flv", "/v/2.flv"}));
    EXPECT_EQ(q.DurationList(), (QStringList{"3", "4", "5", "3"}));
    EXPECT_EQ(q.cell(3, QueueModel::ColFileName), "2");
    EXPECT_EQ(q.append("/v/new.flv", 1), ids.last() + 1) << "no id is given twice";
}

TEST(QueueModel, ShowsTextsHeadersAndFailureTooltip)
{
    QueueModel q;
    q.append("/v/a.flv", 2);
    q.setState(0, RowState::Failed);
    q.setFailureDetail(0, "Invalid data found when processing input");
    EXPECT_EQ(q.data(q.index(0, QueueModel::ColProgress), Qt::DisplayRole).toString(), "Failed");
    EXPECT_EQ(q.data(q.index(0, QueueModel::ColType), Qt::ToolTipRole).toString(),
              "Invalid data found when processing input");
    const QStringList captions{"Type", "File Name (click to view)", "Progress", "Converted File (click to open)",
                               "DEL"};
    const int widths[] = {40, 154, 65, 156, 34};
    for (int c = 0; c < QueueModel::ColumnCount; ++c) {
        EXPECT_EQ(q.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), captions[c]);
        EXPECT_EQ(QueueModel::columnWidth(c), widths[c]);
    }
}
