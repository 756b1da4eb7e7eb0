// The window's queue list: which column a click hits, and what a click, the
// Delete key and a row's menu do, as rules and through the list itself.
#include "app/Main.h"
#include "app/QueueListRules.h"
#include "model/QueueModel.h"
#include "model/Settings.h"
#include "platform/Prompt.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"
#include "support/WindowList.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Stands in for the desktop's "open": records what would have been opened.
class OpenedUrls : public QObject
{
    Q_OBJECT

public:
    OpenedUrls() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QStringList paths;

public slots:
    void open(const QUrl& url) { paths << url.toLocalFile(); }
};

namespace {

TEST(QueueListRules, ClicksKeysAndRemoveAreInertWhileBusy)
{
    const FreshHome home;
    OpenedUrls opened;
    Settings s;
    s.WorkDir = home.root() + "/work";
    QueueModel q;
    q.append(home.root() + "/a.flv", 2);
    QueueListRules rules(s, q, [] { return true; });
    const std::array<int, 4> widths{40, 154, 65, 156};

    rules.KeyDown(Qt::Key_Delete, 0);
    EXPECT_EQ(rules.Click(0, 430, widths), ""); // the DEL cell
    EXPECT_EQ(rules.Click(0, 100, widths), ""); // the name
    rules.Remove(0);                            // chosen from a menu opened before the run began

    EXPECT_EQ(q.count(), 1);
    EXPECT_TRUE(opened.paths.isEmpty());
}

TEST(QueueClickRule, ColumnsAreHitWithStrictBoundaries)
{
    const std::array<int, 4> w{40, 154, 65, 156}; // edges at 40, 194, 259, 415
    using S = RowState;
    struct Case
    {
        int x;
        RowState state;
        QueueClick expected;
    };
    const Case cases[] = {
        {0, S::Pending, QueueClick::Nothing},      {40, S::Pending, QueueClick::Nothing},
        {41, S::Done, QueueClick::OpenSource},     {193, S::Converting, QueueClick::OpenSource},
        {194, S::Pending, QueueClick::Nothing},    {230, S::Done, QueueClick::Nothing},
        {259, S::Done, QueueClick::Nothing},       {260, S::Done, QueueClick::OpenOutputFolder},
        {260, S::Pending, QueueClick::Nothing},    {414, S::Done, QueueClick::OpenOutputFolder},
        {415, S::Done, QueueClick::Nothing},       {415, S::Pending, QueueClick::Nothing},
        {416, S::Pending, QueueClick::RemoveRow},  {2000, S::Pending, QueueClick::RemoveRow},
        {430, S::Done, QueueClick::Nothing},       {430, S::Failed, QueueClick::Nothing},
        {430, S::Converting, QueueClick::Nothing},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QueueListRules::HitTest(c.x, w, c.state), c.expected)
            << "x=" << c.x << " " << RowStateText(c.state, 42).toStdString();
}

// The list in the window, as the user clicks it and types.
class QueueWindow : public ::testing::Test, protected WindowList
{
protected:
    FreshHome home;
    Prompt::Script prompts; // scripted: no box waits for a click
    QString media = home.root() + QStringLiteral("/media");
    std::unique_ptr<TfrmMain> frm = std::make_unique<TfrmMain>();

    TfrmMain& window() override { return *frm; }
};

TEST_F(QueueWindow, ClicksActOnTheSelectedRowByColumn)
{
    OpenedUrls opened;
    for (const char* name : {"a.flv", "b.flv", "c.flv"})
        q().append(media + "/" + name, 2);
    q().setState(0, RowState::Done);
    q().setConvertedFile(0, "AVI");

    clickList(0, 20); // selects row 0, opens nothing
    clickList(0, 100);
    clickList(0, 300);
    clickList(0, 430); // DEL of a finished row: nothing
    const QString work = frm->session().settings().WorkDir;
    EXPECT_EQ(opened.paths, (QStringList{media + "/a.flv", work.endsWith('/') ? work : work + '/'}));
    EXPECT_EQ(q().count(), 3);

    clickList(1, 430);
    EXPECT_EQ(q().PathList(), (QStringList{media + "/a.flv", media + "/c.flv"}));

    // Right of the last column the press keeps the selection and the click removes the row.
    clickList(1, 20);
    clickList(1, 460);
    EXPECT_EQ(q().PathList(), QStringList{media + "/a.flv"});

    // A double click is one click.
    q().append(media + "/d.flv", 2);
    q().append(media + "/e.flv", 2);
    clickList(1, 20);
    {
        // What the platform delivers: press, release, press, double click, release.
        QWidget* viewport = frm->ListView1->viewport();
        const QPoint at = cellPoint(1, 430);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        QTest::mousePress(viewport, Qt::LeftButton, {}, at);
        QMouseEvent second(QEvent::MouseButtonDblClick, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(viewport, &second);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    }
    EXPECT_EQ(q().PathList(), (QStringList{media + "/a.flv", media + "/e.flv"}));
    q().remove(1);

    // The user's column widths count: column 0 widened to 120 puts x=100 on the type cell.
    opened.paths.clear();
    frm->ListView1->setColumnWidth(0, 120);
    clickList(0, 100);
    EXPECT_TRUE(opened.paths.isEmpty());
    clickList(0, 121);
    EXPECT_EQ(opened.paths, QStringList{media + "/a.flv"});

    // A finished file's folder is where it was written, though the output folder changed since.
    opened.paths.clear();
    q().setOutput(0, media + "/earlier/a.avi");
    frm->session().settings().WorkDir = media + "/later";
    clickList(0, 400); // the converted cell, column 0 still widened
    EXPECT_EQ(opened.paths, QStringList{media + "/earlier/"});
    expectAligned();
}

TEST_F(QueueWindow, DeleteKeyRemovesTheSelectedRowWhateverItsState)
{
    for (const char* name : {"a.flv", "b.flv"})
        q().append(media + "/" + name, 2);
    q().setState(1, RowState::Done);
    frm->ListView1->setFocus();

    QTest::keyClick(frm->ListView1, Qt::Key_Delete); // nothing selected
    EXPECT_EQ(q().count(), 2);
    clickList(1, 20);
    QTest::keyClick(frm->ListView1, Qt::Key_Backspace);
    EXPECT_EQ(q().count(), 2);
    QTest::keyClick(frm->ListView1, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(q().PathList(), QStringList{media + "/a.flv"});
    expectAligned();
}

TEST_F(QueueWindow, OneDeleteRemovesOneRowAndABlankClickActsOnNone)
{
    OpenedUrls opened;
    const auto fill = [&](int rows) {
        while (q().count() > 0)
            q().remove(0);
        for (int i = 0; i < rows; ++i)
            q().append(media + QStringLiteral("/%1.flv").arg(i), 2);
    };
    const auto selected = [&] { return frm->ListView1->selectionModel()->selectedRows().size(); };
    // Under the last of three rows, where no row is.
    const auto blank = [&](int x) {
        const QRect last = frm->ListView1->visualRect(q().index(q().count() - 1, 0));
        ASSERT_LT(last.bottom() + 20, frm->ListView1->viewport()->height());
        QTest::mouseClick(frm->ListView1->viewport(), Qt::LeftButton, {}, QPoint(x, last.bottom() + 20));
    };
    frm->ListView1->setFocus();

    struct Case
    {
        const char* what;
        int rows;
        std::function<void()> act;
        int left;
        bool opened;
    };
    const Case cases[] = {
        {"nine Delete presses after one click", 9,
         [&] {
             clickList(4, 20);
             for (int i = 0; i < 9; ++i)
                 QTest::keyClick(frm->ListView1, Qt::Key_Delete);
         },
         8, false},
        {"a DEL cell click, then Delete", 3,
         [&] {
             clickList(0, 20);
             clickList(0, 430);
             QTest::keyClick(frm->ListView1, Qt::Key_Delete);
         },
         2, false},
        {"a blank click in the DEL column", 3,
         [&] {
             clickList(1, 20);
             blank(430);
         },
         3, false},
        {"a blank click right of the columns, then Delete", 3,
         [&] {
             clickList(1, 20);
             blank(460);
             QTest::keyClick(frm->ListView1, Qt::Key_Delete);
         },
         3, false},
        {"a blank click in the name column", 3,
         [&] {
             clickList(1, 20);
             blank(100);
         },
         3, false},
        {"a row is still chosen by a click on it", 3,
         [&] {
             blank(20);
             clickList(2, 430);
         },
         2, false},
    };
    for (const Case& c : cases) {
        fill(c.rows);
        opened.paths.clear();
        c.act();
        EXPECT_EQ(q().count(), c.left) << c.what;
        EXPECT_EQ(selected(), 0) << c.what;
        EXPECT_EQ(!opened.paths.isEmpty(), c.opened) << c.what;
    }
    expectAligned();
}

} // namespace

#include "QueueListRulesTest.moc"
