#include "app/Main.h"

#include "controls/EzRgnBtn.h"
#include "controls/Tranpanl.h"

#include <QPushButton>
#include <QTreeView>

// The window works from the keyboard: Tab goes through the three buttons, the
// list and the two conversion buttons; the text fields only display and are
// left out. Focus by Tab alone for the buttons, so a mouse click draws no mark.
// Every picture control has a name and a description a screen reader can say.
void TfrmMain::BindKeyboard()
{
    for (QPushButton* button : {Button1, Button2, Button3})
        button->setFocusPolicy(Qt::TabFocus);
    // Clicked into, the list takes the keys too: Delete removes a row.
    ListView1->setFocusPolicy(Qt::StrongFocus);
    for (TEzRgnBtn* button : {EzRgnBtn3, EzRgnBtn4}) {
        button->setFocusPolicy(Qt::TabFocus);
        button->SetPicDsbld(DimmedPicture(button->PicIdle()));
    }
    const QList<QWidget*> order{Button1, Button2, Button3, ListView1, EzRgnBtn3, EzRgnBtn4};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    struct Name
    {
        QWidget* widget;
        const char* name;
        const char* description;
    };
    const Name names[] = {
        {EzRgnBtn1, "Minimize", "Minimizes the Vantrel window"},
        {EzRgnBtn2, "Close", "Ends the conversions and closes Vantrel"},
        {EzRgnBtn3, "Convert to DivX AVI", "Converts the pending files of the list to DivX AVI files"},
        {EzRgnBtn4, "Convert to Xvid AVI", "Converts the pending files of the list to Xvid AVI files"},
        {TranPanel1, "Vantrel home page", "Opens the maker's home page in the web browser"},
        {TranPanel2, "Vantrel home page", "Opens the maker's home page in the web browser"},
    };
    for (const Name& n : names) {
        n.widget->setAccessibleName(QLatin1String(n.name));
        n.widget->setAccessibleDescription(QLatin1String(n.description));
    }
}
