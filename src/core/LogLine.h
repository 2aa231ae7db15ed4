#pragma once

#include <QString>
#include <QTime>

// One row of a progress list: the local time as hh:mm:ss (24-hour clock), a blank, the message.
QString logLine(const QTime& time, const QString& message);
