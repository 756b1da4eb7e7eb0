#pragma once

#include <QString>

// Points HOME, the XDG folders and TMPDIR into folders made under `base`, and
// QSettings (which caches its folder on first use) at the new config folder.
// Shared by the tests and the benchmarks, so neither touches the user's files.
void PointHomeInto(const QString& base);
