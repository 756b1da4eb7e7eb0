#pragma once

#include <QString>

// Where a queued file stands; the Progress cell shows it as text.
enum class RowState { Pending, Converting, Done, Failed };

// The Progress cell's text: "Pending", "N% Done" (N the percentage, for
// Converting), "Done" or "Failed".
QString RowStateText(RowState state, int percent = 0);
