#include "app/Main.h"
#include "controls/EzRgnBtn.h"
#include "controls/Tranpanl.h"
#include "platform/Prompt.h"
#include "support/TestEnv.h"

#include <QAccessible>
#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class Keyboard : public ::testing::Test
{
protected:
    FreshHome home;
    Prompt::Script prompts;
    TfrmMain frm;
};

TEST_F(Keyboard, TabGoesThroughTheButtonsTheListAndTheConversionButtons)
{
    frm.show();
    frm.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
    frm.Button1->setFocus(Qt::TabFocusReason);

    const QStringList order{"Button1", "Button2", "Button3", "ListView1", "EzRgnBtn3", "EzRgnBtn4"};
    struct Case { const char* what; Qt::Key key; int step; };
    const Case cases[] = {{"Tab", Qt::Key_Tab, 1}, {"Shift+Tab", Qt::Key_Backtab, -1}};
    for (const Case& c : cases) {
        QStringList visited;
        for (int i = 0; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), c.key);
            visited << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString());
        }
        QStringList expected;
        for (int i = 1; i <= order.size(); ++i)
            expected << order.at(((i * c.step) % order.size() + order.size()) % order.size());
        EXPECT_EQ(visited, expected) << c.what;
    }

    // Space on a focused conversion button presses it: with nothing queued the
    // run ends at once, and no error is shown.
    int runs = 0;
    QObject::connect(&frm.conversion(), &ConversionRun::runEnded, [&] { ++runs; });
    frm.EzRgnBtn4->setFocus(Qt::TabFocusReason);
    QTest::keyClick(frm.EzRgnBtn4, Qt::Key_Space);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(Keyboard, PictureControlsHaveNamesAndDescriptions)
{
    struct Case { QWidget* widget; const char* name; QAccessible::Role role; };
    const Case cases[] = {
        {frm.EzRgnBtn1, "Minimize", QAccessible::Button},
        {frm.EzRgnBtn2, "Close", QAccessible::Button},
        {frm.EzRgnBtn3, "Convert to DivX AVI", QAccessible::Button},
        {frm.EzRgnBtn4, "Convert to Xvid AVI", QAccessible::Button},
        {frm.TranPanel1, "Vantrel home page", QAccessible::Link},
        {frm.TranPanel2, "Vantrel home page", QAccessible::Link},
    };
    for (const Case& c : cases) {
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(c.widget);
        ASSERT_TRUE(reader) << c.name;
        EXPECT_EQ(reader->text(QAccessible::Name), QLatin1String(c.name));
        EXPECT_FALSE(reader->text(QAccessible::Description).isEmpty()) << c.name;
        EXPECT_EQ(reader->role(), c.role) << c.name;
        ASSERT_TRUE(reader->actionInterface()) << c.name;
        EXPECT_EQ(reader->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()})
            << c.name;
    }
}

} // namespace
