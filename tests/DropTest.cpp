#include "app/Main.h"
#include "controls/EzRgnBtn.h"
#include "platform/Prompt.h"
#include "model/QueueModel.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// Files and folders dropped from the file manager onto the window.
class Drop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(media + "/sub");
        MakeFlv(media + "/a.flv", 1.0);
        ASSERT_TRUE(QFile::copy(media + "/a.flv", media + "/sub/b.flv"));
        for (const char* name : {"notes.txt", "broken.flv"}) {
            QFile f(media + "/" + name);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("not a video");
        }
    }

    // Whether the window takes the drag; then the drop itself when it does.
    bool drop(const QStringList& paths, const QList<QUrl>& extra = {})
    {
        const int queuedBefore = frm.queue().count();
        QMimeData mime;
        QList<QUrl> urls = extra;
        for (const QString& p : paths)
            urls << QUrl::fromLocalFile(media + "/" + p);
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(250, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QCoreApplication::sendEvent(&frm, &enter);
        QDropEvent dropped(QPointF(250, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&frm, &dropped);
        EXPECT_EQ(frm.queue().count(), queuedBefore) << "files are probed after the drop returns";
        QCoreApplication::processEvents();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !frm.AddingFiles(); }, 120000));
        return enter.isAccepted();
    }

    FreshHome home;
    Prompt::Script prompts;
    TfrmMain frm;
    QString media = home.root() + "/media";
};

TEST_F(Drop, QueuesFlvFilesAndFoldersAsTheAddButtonsWould)
{
    EXPECT_TRUE(drop({"a.flv", "notes.txt", "sub", "broken.flv"}, {QUrl("https://www.example.com/c.flv")}));
    EXPECT_EQ(frm.queue().PathList(), (QStringList{media + "/a.flv", media + "/sub/b.flv"}));
    EXPECT_EQ(frm.queue().progress(0), "Pending");
    EXPECT_EQ(frm.Edit2->text(), media + "/sub");
    // The broken file is told in the one message of the add; the text file
    // and the web address are not taken at all.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.shown().empty(); }, 5000));
    ASSERT_EQ(prompts.texts(Prompt::Kind::Message).size(), 1);
    EXPECT_TRUE(prompts.texts(Prompt::Kind::Message)[0].contains(media + "/broken.flv: "));
    EXPECT_EQ(prompts.shown().size(), 1u);
    EXPECT_EQ(frm.Edit1->text(), media + "/a.flv");
}

TEST_F(Drop, RefusedWithoutFlvFilesOrWhileBusy)
{
    EXPECT_FALSE(drop({"notes.txt"}));
    frm.queue().append(media + "/a.flv", 2);
    ASSERT_TRUE(StartWaitingRun(frm, media));
    EXPECT_FALSE(drop({"a.flv", "sub"}));
    EXPECT_EQ(frm.queue().count(), 1);
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(Drop, TakenWhileAFolderIsMeasuredAndQueuedAfterIt)
{
    for (const char* name : {"c.flv", "d.flv", "e.flv"})
        ASSERT_TRUE(QFile::copy(media + "/a.flv", media + "/sub/" + name));
    frm.AddFolder(media + "/sub");
    ASSERT_TRUE(frm.AddingFiles());
    EXPECT_TRUE(drop({"a.flv"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frm.AddingFiles(); }, 120000));
    EXPECT_EQ(frm.queue().PathList(), (QStringList{media + "/sub/b.flv", media + "/sub/c.flv", media + "/sub/d.flv",
                                                   media + "/sub/e.flv", media + "/a.flv"}));
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(Drop, DroppedFilesConvertFromTheXvidButton)
{
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
    drop({"a.flv"});
    ASSERT_EQ(frm.queue().count(), 1);
    const QPoint button = frm.EzRgnBtn4->geometry().center();
    QTest::mouseMove(frm.windowHandle(), button);
    QTest::mouseClick(frm.windowHandle(), Qt::LeftButton, {}, button);
    EXPECT_TRUE(frm.session().busy());
    EXPECT_TRUE(QTest::qWaitFor([this] { return frm.queue().progress(0) == "Done"; }, 60000))
        << frm.queue().progress(0).toStdString();
    EXPECT_FALSE(frm.session().busy());
}

} // namespace
