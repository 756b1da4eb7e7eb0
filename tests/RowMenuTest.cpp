#include "app/Main.h"
#include "controls/EzRgnBtn.h"
#include "model/QueueModel.h"
#include "platform/Prompt.h"
#include "support/QtPrinters.h"
#include "support/StalledSource.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class RowMenu : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(out);
        frm.session().settings().WorkDir = out;
        frm.show();
        frm.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
    }

    // The menu a key opens on the row, as "action:on" or "action:off" each;
    // the menu stays open.
    QStringList offered(int row, Qt::Key key = Qt::Key_Menu, Qt::KeyboardModifiers modifiers = {})
    {
        frm.ListView1->setFocus();
        frm.ListView1->setCurrentIndex(frm.queue().index(row, 0));
        QTest::keyClick(frm.ListView1, key, modifiers);
        QMenu* menu = frm.ListView1->findChild<QMenu*>(QStringLiteral("RowMenu"));
        if (!menu || !menu->isVisible())
            return {QStringLiteral("no menu")};
        QStringList items;
        for (QAction* action : menu->actions())
            items << action->text() + (action->isEnabled() ? QStringLiteral(":on") : QStringLiteral(":off"));
        return items;
    }
    void choose(const QString& text)
    {
        QMenu* menu = frm.ListView1->findChild<QMenu*>(QStringLiteral("RowMenu"));
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions())
            if (action->text() == text)
                action->trigger();
        menu->close();
        QTest::qWait(0);
    }
    void closeMenu()
    {
        if (QMenu* menu = frm.ListView1->findChild<QMenu*>(QStringLiteral("RowMenu")))
            menu->close();
        QTest::qWait(0); // the closed menu is deleted
    }
    QStringList states()
    {
        QStringList all;
        for (int row = 0; row < frm.queue().count(); ++row)
            all << frm.queue().progress(row);
        return all;
    }

    FreshHome home;
    Prompt::Script prompts;
    QString src = home.root() + QStringLiteral("/src");
    QString out = home.root() + QStringLiteral("/out");
    TfrmMain frm;
};

// The row menu offers what the row's state allows, Try again puts a failed
// row back, Escape asks before it stops two conversions, and with nothing
// running Escape does nothing.
TEST_F(RowMenu, OffersWhatTheRowAllowsAndEscapeStopsTheRun)
{
    QDir().mkpath(src);
    MakeFlv(src + "/done.flv");
    QFile bad(src + "/bad.flv");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("FLV but nothing after");
    bad.close();
    QueueModel& q = frm.queue();
    q.append(src + "/done.flv", 2);
    q.append(src + "/bad.flv", 2);
    frm.EzRgnBtn3Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frm.session().busy(); }, 60000));
    ASSERT_EQ(states(), (QStringList{"Done", "Failed"}));

    // Two conversions that wait on their sources, and a row that waits its turn.
    frm.session().tools().FfmpegExe = StalledSource::Ffmpeg(src);
    StalledSource first(src + "/e.flv");
    StalledSource second(src + "/f.flv");
    q.append(src + "/e.flv", StalledSource::QueuedSeconds);
    q.append(src + "/f.flv", StalledSource::QueuedSeconds);
    q.append(src + "/done.flv", 2);
    frm.session().settings().Jobs = 2;
    frm.EzRgnBtn3Click();
    ASSERT_EQ(frm.conversion().runningRows(), (QList<int>{2, 3}));

    auto menu = [&](const char* stop, const char* again, const char* remove, const char* folder) {
        return QStringList{QStringLiteral("Stop") + stop, QStringLiteral("Try again") + again,
                           QStringLiteral("Remove") + remove, QStringLiteral("Open Folder") + folder};
    };
    struct Case
    {
        const char* what;
        int row;
        QStringList items;
    };
    const Case running[] = {
        {"a done row while converting", 0, menu(":off", ":off", ":off", ":on")},
        {"a failed row while converting", 1, menu(":off", ":on", ":off", ":off")},
        {"a converting row", 2, menu(":on", ":off", ":off", ":off")},
        {"a pending row while converting", 4, menu(":off", ":off", ":off", ":off")},
    };
    for (const Case& c : running) {
        EXPECT_EQ(offered(c.row), c.items) << c.what;
        closeMenu();
    }
    EXPECT_EQ(offered(3, Qt::Key_F10, Qt::ShiftModifier), menu(":on", ":off", ":off", ":off")) << "Shift+F10";
    closeMenu();

    // Try again, from a right click: the failed row waits for a free place in this run.
    const QPoint at = frm.ListView1->visualRect(q.index(1, 2)).center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, frm.ListView1->viewport()->mapToGlobal(at));
    QApplication::sendEvent(frm.ListView1->viewport(), &click);
    EXPECT_EQ(frm.ListView1->currentIndex().row(), 1);
    choose(QStringLiteral("Try again"));
    EXPECT_EQ(q.progress(1), "Pending");
    EXPECT_EQ(q.failureDetail(1), "");

    // Escape asks first when two convert; No leaves them, Yes stops both.
    const QList<qint64> pids = frm.conversion().runningProcessIds();
    ASSERT_EQ(pids.size(), 2);
    prompts.answerQuestion(false);
    // Offscreen, a closed menu gives the window no activation back.
    frm.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
    QTest::keyClick(&frm, Qt::Key_Escape);
    EXPECT_EQ(prompts.texts(Prompt::Kind::Question).size(), 1);
    EXPECT_EQ(frm.conversion().runningRows(), (QList<int>{2, 3}));
    prompts.answerQuestion(true);
    QTest::keyClick(frm.ListView1, Qt::Key_Escape);
    EXPECT_EQ(prompts.texts(Prompt::Kind::Question).size(), 2);
    EXPECT_FALSE(frm.session().busy());
    for (const qint64 pid : pids)
        EXPECT_NE(::kill(static_cast<pid_t>(pid), 0), 0) << "ffmpeg " << pid << " outlived the stop";
    EXPECT_EQ(states(), (QStringList{"Done", "Pending", "Failed", "Failed", "Pending"}));
    EXPECT_EQ(q.failureDetail(2), "Stopped");
    EXPECT_EQ(q.failureDetail(3), "Stopped");
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{"done.avi"});
    EXPECT_TRUE(frm.EzRgnBtn3->Enabled());

    // Nothing running: Escape asks nothing and changes nothing; rows may go.
    prompts.clear();
    QTest::keyClick(&frm, Qt::Key_Escape);
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_EQ(states(), (QStringList{"Done", "Pending", "Failed", "Failed", "Pending"}));
    EXPECT_EQ(offered(0), menu(":off", ":off", ":on", ":on"));
    choose(QStringLiteral("Remove"));
    EXPECT_EQ(q.count(), 4);
    EXPECT_EQ(offered(0), menu(":off", ":off", ":on", ":off")) << "a pending row";
    closeMenu();
}

} // namespace
