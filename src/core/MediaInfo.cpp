#include "core/MediaInfo.h"

#include <QRegularExpression>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cmath>

namespace {

// ffprobe writes times as strings ("0.021333", "N/A").
std::optional<double> seconds(const QJsonValue& value) {
    bool ok = false;
    const double s = value.toString().toDouble(&ok);
    if (!ok || !std::isfinite(s))
        return std::nullopt;
    return s;
}

} // namespace

const StreamInfo* MediaInfo::first(const QString& type) const {
    for (const StreamInfo& stream : streams) {
        if (stream.type == type)
            return &stream;
    }
    return nullptr;
}

QStringList probeArguments(const QString& file) {
    return {QStringLiteral("-v"),
            QStringLiteral("quiet"),
            QStringLiteral("-show_error"),
            QStringLiteral("-show_entries"),
            QStringLiteral("stream=index,codec_type,codec_name,start_time:stream_disposition="
                           "default:stream_tags=title:format=start_time,duration"),
            QStringLiteral("-of"),
            QStringLiteral("json"),
            file};
}

MediaInfo parseProbeReport(const QByteArray& json) {
    MediaInfo media;
    const QJsonObject report = QJsonDocument::fromJson(json).object();
    if (report.isEmpty()) {
        media.error = QCoreApplication::translate("MediaInfo", "ffprobe gave no report");
        return media;
    }
    const QJsonObject error = report.value(QLatin1String("error")).toObject();
    if (!error.isEmpty()) {
        media.error = error.value(QLatin1String("string")).toString();
        if (media.error.isEmpty())
            media.error = QCoreApplication::translate("MediaInfo", "error %1")
                              .arg(error.value(QLatin1String("code")).toInt());
        return media;
    }
    for (const QJsonValue& value : report.value(QLatin1String("streams")).toArray()) {
        const QJsonObject stream = value.toObject();
        const QJsonObject disposition = stream.value(QLatin1String("disposition")).toObject();
        media.streams.append({stream.value(QLatin1String("codec_type")).toString(),
                              stream.value(QLatin1String("codec_name")).toString(),
                              seconds(stream.value(QLatin1String("start_time"))),
                              stream.value(QLatin1String("index")).toInt(-1),
                              disposition.value(QLatin1String("default")).toInt() == 1,
                              stream.value(QLatin1String("tags"))
                                  .toObject()
                                  .value(QLatin1String("title"))
                                  .toString()});
    }
    const QJsonObject format = report.value(QLatin1String("format")).toObject();
    media.start = seconds(format.value(QLatin1String("start_time")));
    media.duration = seconds(format.value(QLatin1String("duration")));
    return media;
}

double pictureShift(const MediaInfo& media) {
    const StreamInfo* video = media.first(QStringLiteral("video"));
    if (!video || !video->start || !media.start)
        return 0;
    return *media.start - *video->start;
}

bool mp4HoldsVideo(const QString& codec) {
    static const QStringList held = {
        QStringLiteral("h264"),       QStringLiteral("hevc"),  QStringLiteral("mpeg4"),
        QStringLiteral("av1"),        QStringLiteral("vp9"),   QStringLiteral("mpeg2video"),
        QStringLiteral("mpeg1video"), QStringLiteral("mjpeg"), QStringLiteral("png"),
        QStringLiteral("jpeg2000"),   QStringLiteral("vc1"),   QStringLiteral("dirac")};
    return held.contains(codec);
}

QString outputExtension(const MediaInfo& media) {
    const StreamInfo* video = media.first(QStringLiteral("video"));
    return !video || mp4HoldsVideo(video->codec) ? QStringLiteral("mp4") : QStringLiteral("mkv");
}

QString secondsArgument(double seconds) {
    if (std::abs(seconds) < 0.0000005)
        return QStringLiteral("0");
    QString text = QString::number(seconds, 'f', 6);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    return text;
}

QStringList audioLengthArguments(const QString& file, bool firstPacket) {
    QStringList arguments{QStringLiteral("-v"), QStringLiteral("error"),
                          QStringLiteral("-select_streams"), QStringLiteral("a:0")};
    if (firstPacket)
        arguments += {QStringLiteral("-read_intervals"), QStringLiteral("%+#1")};
    return arguments +
           QStringList{QStringLiteral("-show_entries"),
                       QStringLiteral("stream=sample_rate,time_base,duration_ts,"
                                      "duration") +
                           (firstPacket ? QStringLiteral(":packet=duration") : QString()),
                       QStringLiteral("-of"), QStringLiteral("json"), file};
}

std::optional<AudioLength> parseAudioLength(const QByteArray& json) {
    const QJsonObject report = QJsonDocument::fromJson(json).object();
    const QJsonObject stream = report.value(QLatin1String("streams")).toArray().at(0).toObject();
    const int rate = stream.value(QLatin1String("sample_rate")).toString().toInt();
    if (rate <= 0)
        return std::nullopt;
    const QStringList base = stream.value(QLatin1String("time_base")).toString().split('/');
    const qint64 num = base.value(0).toLongLong(), den = base.value(1).toLongLong();
    // A length in the stream's time base, in samples.
    const auto samples = [&](qint64 units) -> qint64 {
        return units >= 0 && num > 0 && den > 0 ? std::llround(double(units) * num * rate / den)
                                                : -1;
    };
    const qint64 packet = samples(report.value(QLatin1String("packets"))
                                      .toArray()
                                      .at(0)
                                      .toObject()
                                      .value(QLatin1String("duration"))
                                      .toInteger(-1));
    const qint64 ticks = samples(stream.value(QLatin1String("duration_ts")).toInteger(-1));
    if (ticks >= 0)
        return AudioLength{ticks, rate, std::max<qint64>(packet, 0)};
    if (const auto length = seconds(stream.value(QLatin1String("duration")));
        length && *length >= 0)
        return AudioLength{qint64(std::llround(*length * rate)), rate, std::max<qint64>(packet, 0)};
    return std::nullopt;
}

QStringList packetListArguments(const QStringList& files) {
    QStringList arguments{QStringLiteral("-nostdin"), QStringLiteral("-hide_banner"),
                          QStringLiteral("-v"), QStringLiteral("error")};
    for (const QString& file : files)
        arguments += {QStringLiteral("-i"), file};
    for (qsizetype i = 0; i < files.size(); ++i)
        arguments += {QStringLiteral("-map"), QStringLiteral("%1:a:0").arg(i)};
    return arguments + QStringList{QStringLiteral("-c"), QStringLiteral("copy"),
                                   QStringLiteral("-f"), QStringLiteral("framecrc"),
                                   QStringLiteral("-")};
}

std::optional<QList<AudioLength>> parsePacketLengths(const QByteArray& listing, int files) {
    struct Stream {
        qint64 num = 0, den = 0, rate = 0, ticks = 0, first = 0;
        bool packets = false;
    };
    QList<Stream> streams(files);
    // "#tb 0: 1/44100", "#sample_rate 0: 44100", then "0, dts, pts, duration, size, crc".
    static const QRegularExpression header(
        QStringLiteral("^#(tb|sample_rate) (\\d+): (\\d+)(?:/(\\d+))?"));
    for (const QByteArray& raw : listing.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('#'))) {
            const auto m = header.match(line);
            const int index = m.hasMatch() ? m.captured(2).toInt() : -1;
            if (index < 0 || index >= files)
                continue;
            if (m.captured(1) == QLatin1String("tb")) {
                streams[index].num = m.captured(3).toLongLong();
                streams[index].den = m.captured(4).toLongLong();
            } else {
                streams[index].rate = m.captured(3).toLongLong();
            }
            continue;
        }
        const QStringList fields = line.split(QLatin1Char(','));
        bool isIndex = false, isDuration = false;
        const int index = fields.value(0).trimmed().toInt(&isIndex);
        const qint64 duration = fields.value(3).trimmed().toLongLong(&isDuration);
        if (fields.size() < 5 || !isIndex || !isDuration || index < 0 || index >= files)
            continue;
        if (!streams[index].packets)
            streams[index].first = duration;
        streams[index].ticks += duration;
        streams[index].packets = true;
    }
    QList<AudioLength> lengths;
    for (const Stream& s : std::as_const(streams)) {
        if (!s.packets || s.num <= 0 || s.den <= 0 || s.rate <= 0)
            return std::nullopt;
        const auto samples = [&s](qint64 ticks) {
            return std::llround(double(ticks) * s.num * s.rate / s.den);
        };
        lengths.append({samples(s.ticks), int(s.rate), samples(s.first)});
    }
    return lengths;
}
