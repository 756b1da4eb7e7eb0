#include "model/RowState.h"

QString RowStateText(RowState state, int percent)
{
    switch (state) {
    case RowState::Pending: return QStringLiteral("Pending");
    case RowState::Converting: return QString::number(percent) + QStringLiteral("% Done");
    case RowState::Done: return QStringLiteral("Done");
    case RowState::Failed: return QStringLiteral("Failed");
    }
    return {};
}
