#include "app/Main.h"

#include "controls/EzRgnBtn.h"
#include "controls/FocusFrame.h"
#include "controls/MouseLabel.h"
#include "controls/ReturnPresses.h"
#include "controls/Tranpanl.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTreeView>

#include <utility>

// The window works from the keyboard: Tab goes through the links at the top
// (the logo's first), the three buttons, the list, the two conversion buttons
// and the links at the bottom; the text fields only display and are left out.
// Focus by Tab alone for buttons and links, so a mouse click draws no mark.
// Space, Return and keypad Enter press a button; Return and Enter open a link.
// Escape stops the run.
// Every picture control has a name and a description a screen reader can say,
// and every text field is named by its caption.
void TfrmMain::BindKeyboard()
{
    for (QPushButton* button : {Button1, Button2, Button3}) {
        button->setFocusPolicy(Qt::TabFocus);
        new ReturnPresses(button);
    }
    // Clicked into, the list takes the keys too: Delete removes a row.
    ListView1->setFocusPolicy(Qt::StrongFocus);
    ListView1->setAccessibleName(QCoreApplication::translate("MainKeyboard", "Files to convert"));
    ListView1->setAccessibleDescription(QCoreApplication::translate(
        "MainKeyboard",
        "The queued files, their progress and their converted files; Delete removes the selected file"));
    new FocusFrame(ListView1);
    for (TEzRgnBtn* button : {EzRgnBtn3, EzRgnBtn4}) {
        button->setFocusPolicy(Qt::TabFocus);
        button->SetPicDsbld(DimmedPicture(button->PicIdle()));
    }
    for (MouseLabel* link : {Label1, Label2, Label3, Label4, Label5, Label6, Label7}) {
        link->setFocusPolicy(Qt::TabFocus);
        link->setAccessibleDescription(
            QCoreApplication::translate("MainKeyboard", "Opens the page in the web browser"));
    }
    // The two click areas over the logo open the same page: one stop is enough.
    TranPanel1->setFocusPolicy(Qt::TabFocus);
    const QList<QWidget*> order{TranPanel1, Label1,    Label2,    Label3, Button1, Button2, Button3,
                                ListView1,  EzRgnBtn3, EzRgnBtn4, Label4, Label5,  Label6,  Label7};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
    // Escape stops the run wherever the focus is; an open menu takes it first.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TfrmMain::StopConversions);
    // The window opens at its first task, not at a link to a web page.
    Button1->setFocus();

    struct Name
    {
        QWidget* widget;
        const char* name;
        const char* description;
    };
    const Name names[] = {
        {EzRgnBtn1, QT_TRANSLATE_NOOP("MainKeyboard", "Minimize"),
         QT_TRANSLATE_NOOP("MainKeyboard", "Minimizes the Vantrel window")},
        {EzRgnBtn2, QT_TRANSLATE_NOOP("MainKeyboard", "Close"),
         QT_TRANSLATE_NOOP("MainKeyboard", "Ends the conversions and closes Vantrel")},
        {EzRgnBtn3, QT_TRANSLATE_NOOP("MainKeyboard", "Convert to DivX AVI"),
         QT_TRANSLATE_NOOP("MainKeyboard", "Converts the pending files of the list to DivX AVI files")},
        {EzRgnBtn4, QT_TRANSLATE_NOOP("MainKeyboard", "Convert to Xvid AVI"),
         QT_TRANSLATE_NOOP("MainKeyboard", "Converts the pending files of the list to Xvid AVI files")},
        {TranPanel1, QT_TRANSLATE_NOOP("MainKeyboard", "Vantrel home page"),
         QT_TRANSLATE_NOOP("MainKeyboard", "Opens the maker's home page in the web browser")},
        {TranPanel2, QT_TRANSLATE_NOOP("MainKeyboard", "Vantrel home page"),
         QT_TRANSLATE_NOOP("MainKeyboard", "Opens the maker's home page in the web browser")},
    };
    for (const Name& n : names) {
        n.widget->setAccessibleName(QCoreApplication::translate("MainKeyboard", n.name));
        n.widget->setAccessibleDescription(QCoreApplication::translate("MainKeyboard", n.description));
    }
    const std::pair<QLineEdit*, QLabel*> fields[] = {{Edit1, Label10}, {Edit2, Label11}, {Edit3, Label12}};
    for (const auto& [edit, caption] : fields) {
        caption->setBuddy(edit);
        // A caption cut to fit keeps its whole text in its tooltip.
        edit->setAccessibleName(caption->toolTip().isEmpty() ? caption->text() : caption->toolTip());
    }
}
