#include "pipeline/RunRecordFile.h"

#include "core/Segments.h"
#include "platform/PathTools.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString LoadedRecord::damage(const WorkFolder& work) const {
    return QCoreApplication::translate("RunRecordFile", "The record of the pieces is damaged "
                                                        "(%1):\n%2\n\nSplit the audio again.")
        .arg(error, work.record());
}

LoadedRecord loadRunRecord(const WorkFolder& work) {
    LoadedRecord loaded;
    QFile file(work.record());
    if (!file.exists())
        return loaded;
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.state = LoadedRecord::State::Damaged;
        loaded.error = file.errorString();
        return loaded;
    }
    if (auto record = RunRecord::fromJson(file.readAll(), &loaded.error)) {
        loaded.state = LoadedRecord::State::Present;
        loaded.record = *record;
    } else {
        loaded.state = LoadedRecord::State::Damaged;
    }
    return loaded;
}

bool saveRunRecord(const WorkFolder& work, const RunRecord& record) {
    QSaveFile file(work.record());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray json = record.toJson();
    return file.write(json) == json.size() && file.commit();
}

RecordedInput describeInput(const QString& path) {
    const QFileInfo info(path);
    return {QFileInfo(path).absoluteFilePath(), info.size(), info.lastModified().toUTC()};
}

QString otherVideoProblem(const RunRecord& record, const QString& input) {
    if (record.input.isSameVideo(describeInput(input)))
        return {};
    return QCoreApplication::translate("RunRecordFile",
                                       "The pieces in %1 were cut from another video:\n%2\n\n"
                                       "Split this video's audio first, or choose that video "
                                       "again.")
        .arg(partsFolderText(), QDir::toNativeSeparators(record.input.path));
}
