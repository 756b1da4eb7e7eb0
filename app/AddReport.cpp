#include "app/AddReport.h"

#include "queue/QueueActions.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

// Lines the box shows itself; the details hold at most DetailLines.
constexpr qsizetype BoxLines = 10;
constexpr qsizetype DetailLines = 1000;
// A path longer than this is cut in its middle, so no line fills the screen.
constexpr qsizetype LongestPath = 300;

QString Line(const AddOutcome& outcome)
{
    const QString& path = outcome.path;
    const QString shown
        = path.size() <= LongestPath ? path : path.left(LongestPath / 2) + QChar(0x2026) + path.right(LongestPath / 2);
    return QStringLiteral("%1: %2").arg(shown, outcome.reason);
}

QString Lines(const QList<AddOutcome>& outcomes, qsizetype count)
{
    QStringList lines;
    for (qsizetype i = 0; i < count; ++i)
        lines << Line(outcomes.at(i));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

AddReport AddReport::Of(const QList<AddOutcome>& notQueued)
{
    const qsizetype count = notQueued.size();
    AddReport report;
    report.text = QCoreApplication::translate("AddReport", "These %n were not added to the list:", nullptr, int(count))
                  + QStringLiteral("\n\n") + Lines(notQueued, std::min(count, BoxLines));
    if (count <= BoxLines)
        return report;
    report.text
        += QCoreApplication::translate("AddReport", "\n…and %1 more, under Show Details.").arg(count - BoxLines);
    report.details = Lines(notQueued, std::min(count, DetailLines));
    if (count > DetailLines)
        report.details += QCoreApplication::translate("AddReport", "\n…and %1 more.").arg(count - DetailLines);
    return report;
}
