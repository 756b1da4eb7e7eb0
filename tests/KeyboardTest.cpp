#include "app/Main.h"
#include "model/QueueModel.h"
#include "controls/EzRgnBtn.h"
#include "controls/MouseLabel.h"
#include "controls/Tranpanl.h"
#include "platform/Prompt.h"
#include "support/TestEnv.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
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

TEST_F(Keyboard, TabGoesThroughTheLinksTheButtonsTheListAndTheConversionButtons)
{
    frm.show();
    frm.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
    frm.TranPanel1->setFocus(Qt::TabFocusReason);

    const QStringList order{"TranPanel1", "Label1",    "Label2",    "Label3", "Button1", "Button2", "Button3",
                            "ListView1",  "EzRgnBtn3", "EzRgnBtn4", "Label4", "Label5",  "Label6",  "Label7"};
    struct Case
    {
        const char* what;
        Qt::Key key;
        int step;
    };
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

    // Space, Return and keypad Enter on a focused conversion button press it:
    // with nothing queued the run ends at once, and no error is shown.
    struct Press
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Press presses[] = {{Qt::Key_Space, {}}, {Qt::Key_Return, {}}, {Qt::Key_Enter, Qt::KeypadModifier}};
    int runs = 0;
    QObject::connect(&frm.conversion(), &ConversionRun::runEnded, [&] { ++runs; });
    frm.EzRgnBtn4->setFocus(Qt::TabFocusReason);
    for (const Press& p : presses)
        QTest::keyClick(frm.EzRgnBtn4, p.key, p.modifiers);
    EXPECT_EQ(runs, 3);
    EXPECT_TRUE(prompts.shown().empty());
}

// Return and keypad Enter press a focused push button (its dialog opens) and
// open a focused link; a text field's name is its caption.
TEST_F(Keyboard, ReturnAndEnterPressTheFocusedButtonOrLink)
{
    frm.show();
    frm.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
    struct Case
    {
        QPushButton* button;
        Prompt::Kind dialog;
    };
    const Case cases[] = {{frm.Button1, Prompt::Kind::OpenFile},
                          {frm.Button2, Prompt::Kind::Folder},
                          {frm.Button3, Prompt::Kind::Folder}};
    for (const Case& c : cases) {
        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_Return, Qt::NoModifier}, std::pair{Qt::Key_Enter, Qt::KeypadModifier}}) {
            SCOPED_TRACE(c.button->objectName().toStdString() + (key == Qt::Key_Return ? " Return" : " Enter"));
            prompts.clear();
            c.button->setFocus(Qt::TabFocusReason);
            QTest::keyClick(c.button, key, modifiers);
            ASSERT_EQ(prompts.shown().size(), 1u);
            EXPECT_EQ(prompts.shown().front().kind, c.dialog);
        }
    }

    int opened = 0;
    QObject::connect(frm.Label5, &MouseLabel::clicked, [&] { ++opened; });
    QObject::connect(frm.TranPanel1, &TTranPanel::OnClick, [&] { ++opened; });
    for (QWidget* link : {static_cast<QWidget*>(frm.Label5), static_cast<QWidget*>(frm.TranPanel1)}) {
        SCOPED_TRACE(link->objectName().toStdString());
        opened = 0;
        link->setFocus(Qt::TabFocusReason);
        QTest::keyClick(link, Qt::Key_Return);
        QTest::keyClick(link, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(link, Qt::Key_A);
        EXPECT_EQ(opened, 2);
    }

    const std::pair<QLineEdit*, const char*> fields[] = {{frm.Edit1, "Select single FLV file"},
                                                         {frm.Edit2, "Select folder containing FLV files"},
                                                         {frm.Edit3, "Select output folder"}};
    for (const auto& [edit, caption] : fields)
        EXPECT_EQ(QAccessible::queryAccessibleInterface(edit)->text(QAccessible::Name), QLatin1String(caption));
}

TEST_F(Keyboard, PictureControlsHaveNamesAndDescriptions)
{
    struct Case
    {
        QWidget* widget;
        const char* name;
        QAccessible::Role role;
    };
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

    // The list and each of its cells have names; a hidden line says nothing.
    frm.queue().append(QStringLiteral("/nowhere/a.flv"), 2);
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(frm.ListView1);
    ASSERT_TRUE(list && list->tableInterface());
    EXPECT_FALSE(list->text(QAccessible::Name).isEmpty());
    for (int column = 0; column < QueueModel::ColumnCount; ++column) {
        QAccessibleInterface* cell = list->tableInterface()->cellAt(0, column);
        ASSERT_TRUE(cell) << column;
        EXPECT_FALSE(cell->text(QAccessible::Name).isEmpty()) << column;
    }
    ASSERT_FALSE(frm.MeasuringLine->isVisible());
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(frm.MeasuringLine)->text(QAccessible::Name).isEmpty());
}

} // namespace
