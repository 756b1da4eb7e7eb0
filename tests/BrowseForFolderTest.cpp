#include "app/WidgetDialogs.h"
#include "platform/Prompt.h"
#include "queue/BrowseForFolderU.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Acts on the folder dialog once it is open and modal.
void whenDialogOpens(const std::function<void(QFileDialog*)>& act)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start(10);
}

class FolderPicker : public ::testing::Test
{
protected:
    FreshHome home;
    QString start = home.root() + QStringLiteral("/start here");
    void SetUp() override { QDir().mkpath(start + "/inner"); }
};

TEST_F(FolderPicker, DialogShowsTheCaptionPreselectsAndHidesNewFolder)
{
    const auto dialog = MakeFolderDialog(nullptr, "Select Output Folder", start, false);
    EXPECT_EQ(dialog->windowTitle(), "Select Output Folder");
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    EXPECT_EQ(dialog->directory().absolutePath().toStdString(), start.toStdString());
    auto* newFolder = dialog->findChild<QToolButton*>("newFolderButton");
    ASSERT_NE(newFolder, nullptr);
    EXPECT_TRUE(newFolder->isHidden());
    EXPECT_TRUE(dialog->testOption(QFileDialog::ReadOnly));

    const auto allowing = MakeFolderDialog(nullptr, "x", QString(), true);
    EXPECT_FALSE(allowing->findChild<QToolButton*>("newFolderButton")->isHidden());
    EXPECT_FALSE(allowing->testOption(QFileDialog::ReadOnly));
    EXPECT_EQ(allowing->directory().absolutePath().toStdString(), home.home().toStdString()) << "nothing preselected";

    // A start folder that has gone is ignored, not an error.
    const auto gone = MakeFolderDialog(nullptr, "x", home.root() + "/gone", false);
    EXPECT_EQ(gone->directory().absolutePath().toStdString(), home.home().toStdString());
}

TEST_F(FolderPicker, CancelGivesEmptyTextAndAcceptGivesTheFolderWithoutSlash)
{
    WidgetDialogs dialogs(nullptr);
    whenDialogOpens([](QFileDialog* d) { d->reject(); });
    EXPECT_EQ(BrowseForFolder("Pick", start, false), "");

    whenDialogOpens([](QFileDialog* d) { static_cast<QDialog*>(d)->accept(); });
    EXPECT_EQ(BrowseForFolder("Pick", start, false), start);

    whenDialogOpens([](QFileDialog* d) {
        d->setDirectory("/");
        static_cast<QDialog*>(d)->accept();
    });
    EXPECT_EQ(BrowseForFolder("Pick", start, false), "/") << "the root keeps its slash";
}

TEST_F(FolderPicker, ScriptAnswersWithoutADialog)
{
    Prompt::Script script;
    script.answerFolder(start);
    EXPECT_EQ(BrowseForFolder("Select Output Folder", QString(), false), start);
    EXPECT_EQ(BrowseForFolder("Again", QString(), false), "") << "no answer left is a cancel";
    EXPECT_EQ(script.texts(Prompt::Kind::Folder), (QStringList{"Select Output Folder", "Again"}));
}

} // namespace
