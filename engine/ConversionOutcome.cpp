#include "engine/ConversionOutcome.h"

#include <QCoreApplication>

QString StoppedText()
{
    return QCoreApplication::translate("ConversionOutcome", "Stopped");
}

RowEnd RowEndFor(const ConversionOutcome& outcome, const QString& sourceWarning)
{
    using Kind = ConversionOutcome::Kind;
    switch (outcome.kind) {
    case Kind::Done: {
        // A source cut off converts whole as far as it goes; the user is told it ends early.
        const QString& warning = outcome.text;
        const QString detail = warning.isEmpty() || sourceWarning.isEmpty()
                                   ? warning + sourceWarning
                                   : warning + QLatin1Char('\n') + sourceWarning;
        return {RowState::Done, QStringLiteral("AVI"), detail, true, false};
    }
    case Kind::Failed: return {RowState::Failed, {}, outcome.text, true, false};
    case Kind::Stopped: return {RowState::Failed, {}, StoppedText(), true, false};
    case Kind::TryAlone: return {RowState::Pending, {}, {}, false, true};
    case Kind::WaitForPlace: break;
    }
    return {RowState::Pending, {}, {}, false, false};
}
