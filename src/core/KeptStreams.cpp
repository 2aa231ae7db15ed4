#include "core/KeptStreams.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>

namespace {

const QString kVideo = QStringLiteral("video");
const QString kAudio = QStringLiteral("audio");
const QString kSubtitle = QStringLiteral("subtitle");
const QString kAttachment = QStringLiteral("attachment");

// Subtitles of text that MP4's timed text holds without loss; ASS and SSA lose their styling.
bool isPlainText(const QString& codec) {
    static const QStringList plain = {QStringLiteral("subrip"), QStringLiteral("mov_text"),
                                      QStringLiteral("webvtt"), QStringLiteral("text")};
    return plain.contains(codec);
}

// A subtitle codec Matroska takes as it is.
bool matroskaHolds(const QString& codec) {
    return codec != QLatin1String("mov_text");
}

// ffmpeg's letter for the streams of a type in a stream specifier.
QString letter(const QString& type) {
    return type == kVideo        ? QStringLiteral("v")
           : type == kAudio      ? QStringLiteral("a")
           : type == kSubtitle   ? QStringLiteral("s")
           : type == kAttachment ? QStringLiteral("t")
                                 : QString();
}

// Collects the output streams, numbered per type as ffmpeg numbers them.
class Outputs {
public:
    explicit Outputs(QStringList& arguments)
        : m_arguments(arguments) {}
    // A stream already mapped by the template.
    QString mapped(const QString& type) { return spec(type); }
    // Maps input stream `index`; its tags go with it. Returns its output specifier ("a:2").
    QString map(const StreamInfo& stream) {
        const QString at = spec(stream.type);
        m_arguments << QStringLiteral("-map") << QStringLiteral("0:%1").arg(stream.index);
        copyTags(at, stream);
        return at;
    }
    void copyTags(const QString& at, const StreamInfo& from) {
        m_arguments << QStringLiteral("-map_metadata:s:") + at
                    << QStringLiteral("0:s:%1").arg(from.index);
    }

private:
    QString spec(const QString& type) {
        return QStringLiteral("%1:%2").arg(letter(type)).arg(m_count[letter(type)]++);
    }
    QStringList& m_arguments;
    QHash<QString, int> m_count;
};

} // namespace

bool mp4HoldsAudio(const QString& codec) {
    static const QStringList held = {QStringLiteral("aac"),  QStringLiteral("mp3"),
                                     QStringLiteral("mp2"),  QStringLiteral("ac3"),
                                     QStringLiteral("eac3"), QStringLiteral("alac"),
                                     QStringLiteral("opus"), QStringLiteral("dts")};
    return held.contains(codec);
}

KeptStreams keptPicture(const MediaInfo& media) {
    KeptStreams kept;
    const StreamInfo* picture = media.first(kVideo);
    if (picture && !mp4HoldsVideo(picture->codec)) {
        kept.extension = QStringLiteral("mkv");
        kept.matroskaReasons.append(
            QCoreApplication::translate("KeptStreams", "the %1 picture").arg(picture->codec));
        kept.pictureNeedsMatroska = true;
    }
    return kept;
}

KeptStreams keptStreams(const MediaInfo& media, bool original) {
    KeptStreams kept = keptPicture(media);
    QStringList& a = kept.arguments;
    const auto needMatroska = [&kept](const QString& why) {
        kept.extension = QStringLiteral("mkv");
        if (!kept.matroskaReasons.contains(why))
            kept.matroskaReasons.append(why);
    };
    const StreamInfo* picture = media.first(kVideo);
    const StreamInfo* voice = media.first(kAudio);

    a << QStringLiteral("-map_metadata") << QStringLiteral("0") << QStringLiteral("-map_chapters")
      << QStringLiteral("0");
    Outputs out(a);
    // MP4 players name a track by its handler; ffmpeg writes the title where few look.
    QList<QPair<QString, QString>> names;
    const auto name = [&names](const QString& at, const QString& title) {
        if (!title.isEmpty())
            names.append({at, title});
    };
    if (picture) {
        const QString at = out.mapped(kVideo);
        out.copyTags(at, *picture);
        name(at, picture->title);
    }
    if (voice) {
        // The new voice takes the replaced track's tags (language, title) and flags.
        const QString at = out.mapped(kAudio);
        out.copyTags(at, *voice);
        name(at, voice->title);
        a << QStringLiteral("-disposition:") + at
          << (voice->isDefault ? QStringLiteral("default") : QStringLiteral("0"));
        if (original) {
            const QString kept = out.map(*voice);
            name(kept, QStringLiteral("Original voice"));
            a << QStringLiteral("-metadata:s:") + kept << QStringLiteral("title=Original voice")
              << QStringLiteral("-disposition:") + kept << QStringLiteral("0")
              << QStringLiteral("-c:") + kept << QStringLiteral("copy");
            if (!mp4HoldsAudio(voice->codec))
                needMatroska(QCoreApplication::translate("KeptStreams", "the original %1 voice")
                                 .arg(voice->codec));
        }
    }
    QList<QPair<QString, QString>> subtitles; // output specifier, codec
    for (const StreamInfo& stream : media.streams) {
        if (&stream == picture || &stream == voice || stream.index < 0)
            continue;
        const auto keep = [&] {
            const QString at = out.map(stream);
            name(at, stream.title);
            return at;
        };
        if (stream.type == kVideo) {
            a << QStringLiteral("-c:") + keep() << QStringLiteral("copy");
            if (!mp4HoldsVideo(stream.codec))
                needMatroska(
                    QCoreApplication::translate("KeptStreams", "the %1 picture").arg(stream.codec));
        } else if (stream.type == kAudio) {
            a << QStringLiteral("-c:") + keep() << QStringLiteral("copy");
            if (!mp4HoldsAudio(stream.codec))
                needMatroska(QCoreApplication::translate("KeptStreams", "the %1 audio track")
                                 .arg(stream.codec));
        } else if (stream.type == kSubtitle) {
            subtitles.append({keep(), stream.codec});
            if (!isPlainText(stream.codec))
                needMatroska(QCoreApplication::translate("KeptStreams", "the %1 subtitles")
                                 .arg(stream.codec));
        } else if (stream.type == kAttachment) {
            a << QStringLiteral("-c:") + keep() << QStringLiteral("copy");
            needMatroska(
                QCoreApplication::translate("KeptStreams", "the attachments (fonts and the like)"));
        }
    }
    // Known only now: whether the subtitles go into MP4's timed text or stay as they are.
    const bool mp4 = kept.extension == QLatin1String("mp4");
    for (const auto& [at, codec] : subtitles)
        a << QStringLiteral("-c:") + at
          << (mp4                    ? QStringLiteral("mov_text")
              : matroskaHolds(codec) ? QStringLiteral("copy")
                                     : QStringLiteral("srt"));
    if (mp4) {
        for (const auto& [at, title] : names)
            a << QStringLiteral("-metadata:s:") + at << QStringLiteral("handler_name=") + title;
    }
    return kept;
}

double outputLead(const MediaInfo& media, const QString& extension) {
    if (extension == QLatin1String("mp4"))
        return 0;
    // The new voice's AAC encoder starts 1024 samples early (23 ms at 44.1 kHz); room for more.
    constexpr double kEncoderDelay = 0.05;
    return std::max(kEncoderDelay, -pictureShift(media));
}
