#pragma once

#include <QJsonArray>
#include <QString>
#include <QStringList>

// The fixed voice list: "Name, voiceid" rows in the order the voice box shows them.
const QStringList& voiceRows();

// The row selected when nothing is stored ("Liam").
constexpr int kDefaultVoiceIndex = 17;

// The voice id of a row: the text between its first and second comma, blanks trimmed. Empty when
// the row has no comma (no voice selected).
QString voiceIdFromRow(const QString& row);
// The voice's name in a row: the text before its first comma, blanks trimmed ("Liam").
QString voiceNameFromRow(const QString& row);

// The rows of the account's own voices from the script's list ([{"voice_id", "name",
// "category"}, ...]), in its order: "Name (category), voiceid", with any comma in the name
// replaced, so that the id stays the second field. Voices among the fixed ones are left out.
QStringList accountVoiceRows(const QJsonArray& voices);
