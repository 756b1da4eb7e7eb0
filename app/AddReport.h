#pragma once

#include <QList>
#include <QString>

struct AddOutcome;

// The one message that tells, once an add has ended, each file it passed over
// and why: a few lines in the box itself, the rest in its scrolled details,
// bounded however many files there were.
struct AddReport
{
    QString text;
    QString details; // empty when the box holds every line

    static AddReport Of(const QList<AddOutcome>& notQueued);
};
