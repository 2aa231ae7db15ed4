#pragma once

#include <QJsonObject>
#include <QString>

// The window's queue of videos across sessions: a JSON file of its own in the user's data
// folder, replaced in one step, so that it is never found half-written.

// queue.json in the user's data folder.
QString queueFilePath();
// What the file holds; empty when it is missing or damaged.
QJsonObject readQueueFile(const QString& path);
bool writeQueueFile(const QString& path, const QJsonObject& queue);
