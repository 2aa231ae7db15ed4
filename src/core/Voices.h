#pragma once

#include <QString>
#include <QStringList>

// The fixed voice list: "Name, voiceid" rows in the order the voice box shows them.
const QStringList& voiceRows();

// The row selected when nothing is stored ("Liam").
constexpr int kDefaultVoiceIndex = 17;

// The voice id of a row: the text between its first and second comma, blanks trimmed. Empty when
// the row has no comma (no voice selected).
QString voiceIdFromRow(const QString& row);
