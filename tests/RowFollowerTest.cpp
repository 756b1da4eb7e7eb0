// The list follows the converting row until the user scrolls away from it,
// and again once they scroll back to it.
#include "app/RowFollower.h"
#include "model/QueueModel.h"

#include <QScrollBar>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

TEST(RowFollower, FollowsTheConvertingRowUntilTheUserScrollsAwayAndAgainWhenBack)
{
    enum class Scroll { None, Away, AwayAndBack, WhileNothingConverts };
    struct Case
    {
        const char* what;
        int converting; // a row converting before the next starts; -1 none
        Scroll scroll;
        bool followed; // the row that starts is brought into view
    };
    const Case cases[] = {
        {"no converting row in view", -1, Scroll::None, true},
        {"a converting row in view", 0, Scroll::None, false},
        {"scrolled away from the converting row", 0, Scroll::Away, false},
        {"scrolled away and back, that row since finished", 0, Scroll::AwayAndBack, true},
        {"scrolled while nothing converts", -1, Scroll::WhileNothingConverts, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QueueModel queue;
        for (int i = 0; i < 60; ++i)
            queue.append(QStringLiteral("/media/%1.flv").arg(i), 2);
        QTreeView list;
        list.setModel(&queue);
        list.resize(300, 200);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
        QList<int> converting;
        if (c.converting >= 0)
            converting << c.converting;
        RowFollower follower(&list, [&] { return converting; });
        QScrollBar* bar = list.verticalScrollBar();
        ASSERT_GT(bar->maximum(), 0);

        switch (c.scroll) {
        case Scroll::None: break;
        case Scroll::Away: bar->setValue(bar->maximum() / 2); break;
        case Scroll::AwayAndBack:
            bar->setValue(bar->maximum() / 2);
            bar->setValue(0);
            converting.clear(); // it finished; the next starts
            break;
        case Scroll::WhileNothingConverts: bar->setValue(bar->maximum() / 2); break;
        }
        const int scrolledTo = bar->value();
        const int last = queue.count() - 1;
        converting << last;
        follower.reveal(last);
        const bool seen = list.viewport()->rect().contains(list.visualRect(queue.index(last, 0)));
        EXPECT_EQ(seen, c.followed);
        if (!c.followed) {
            EXPECT_EQ(bar->value(), scrolledTo) << "the list stays where the user left it";
        }
    }
}

} // namespace
