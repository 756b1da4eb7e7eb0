#include "model/RowState.h"

#include <QCoreApplication>

QString RowStateText(RowState state, int percent)
{
    switch (state) {
    case RowState::Pending: return QCoreApplication::translate("RowState", "Pending");
    case RowState::Converting: return QCoreApplication::translate("RowState", "%1% Done").arg(percent);
    case RowState::Done: return QCoreApplication::translate("RowState", "Done");
    case RowState::Failed: return QCoreApplication::translate("RowState", "Failed");
    }
    return {};
}
