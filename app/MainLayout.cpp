#include "app/Main.h"

#include "queue/QueueModel.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

void TfrmMain::CreateControls()
{
    resize(503, 479);

    auto lineEdit = [this](const char* name, int x, int y, int w) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setGeometry(x, y, w, 21);
        return edit;
    };
    Edit1 = lineEdit("Edit1", 16, 79, 360);
    Edit2 = lineEdit("Edit2", 16, 117, 360);
    Edit3 = lineEdit("Edit3", 16, 155, 360);
    // Holds data only; it never shows.
    Edit4 = lineEdit("Edit4", 544, 72, 201);
    Edit4->hide();

    auto button = [this](const char* name, const char* text, int y) {
        auto* b = new QPushButton(QLatin1String(text), this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(384, y, 103, 25);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    Button1 = button("Button1", "Add FLV File", 77);
    Button2 = button("Button2", "Add Folder", 115);
    Button3 = button("Button3", "Browse", 153);

    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(15, 196, 473, 173);
    ListView1->setModel(m_queue);
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setCursor(Qt::PointingHandCursor);
    ListView1->header()->setStretchLastSection(false);
    for (int c = 0; c < QueueModel::ColumnCount; ++c)
        ListView1->setColumnWidth(c, QueueModel::columnWidth(c));
}
