#pragma once

#include <QString>

#include <functional>

// Picks the first Python 3 interpreter from a launcher's list of installed interpreters (the
// output of `py -0p`): a line qualifies when it mentions "Python3" or "Py3" in any case and holds
// a drive path ("X:\..."), which runs to the end of the line. The first such path that exists
// wins. Output of fewer than three lines is not trusted and gives nothing.
QString pickInterpreter(const QString& launcherOutput,
                        const std::function<bool(const QString&)>& fileExists);
