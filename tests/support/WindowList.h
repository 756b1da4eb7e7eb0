#pragma once

#include "app/Main.h"
#include "model/QueueModel.h"

#include <QTreeView>
#include <QTest>

#include <gtest/gtest.h>

// The window's list as a test clicks it, and the check that the list and the
// queue's views of its rows agree.
class WindowList
{
protected:
    virtual ~WindowList() = default;
    virtual TfrmMain& window() = 0;

    QueueModel& q() { return window().queue(); }

    void expectAligned()
    {
        EXPECT_EQ(q().PathList().size(), q().count());
        EXPECT_EQ(q().DurationList().size(), q().count());
        EXPECT_EQ(window().ListView1->model()->rowCount(), q().count());
    }

    QPoint cellPoint(int row, int x)
    {
        const QRect rect = window().ListView1->visualRect(q().index(row, 0));
        return {x, rect.center().y()};
    }

    void clickList(int row, int x)
    {
        QTest::mouseClick(window().ListView1->viewport(), Qt::LeftButton, {}, cellPoint(row, x));
    }
};
