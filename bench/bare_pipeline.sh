#!/bin/bash
# The pipeline without the program, for the benchmarks' bare figures: the same ffmpeg and
# convert.py commands that a Full Auto run issues, one after another, with the same working
# files. The harness (bench/bench.py) hands over the four argument strings already expanded the
# way the program expands its templates; its paths hold no blanks, quotes or '%', so `eval`
# splits them exactly as the program does.
#
# Environment: FFMPEG WORK PYTHON VOICE_ID EXTRACT ANALYSE SPLIT CONCAT INTEGRATE
set -u
log="$WORK/bare.log"
: >"$log"

ffmpeg_run() {
    eval "\"\$FFMPEG\" $1" </dev/null >>"$log" 2>&1
}

# Extract audio
rm -f "$WORK/raw.mp4"
ffmpeg_run "$EXTRACT" || { echo "extract failed" >&2; exit 1; }

# Split audio: the pass over the audio that finds the pauses, then the pieces
mkdir -p "$WORK/parts"
rm -f "$WORK"/parts/*
ffmpeg_run "$ANALYSE" || { echo "analysis failed" >&2; exit 1; }
ffmpeg_run "$SPLIT" || { echo "split failed" >&2; exit 1; }
rm -f "$WORK/raw.mp4"

# AI conversion, one segment after another; each converted segment's source goes at once
for segment in $(ls -v "$WORK"/parts/output*); do
    name=$(basename "$segment" .mp4)
    number=$((10#${name#output} + 1))
    said=$("$PYTHON" "$WORK/convert.py" "$segment" "$WORK/parts/$number.mp4" "$VOICE_ID" \
        </dev/null 2>&1) || { echo "convert failed: $said" >&2; exit 1; }
    case "$said" in *OK*) ;; *) echo "convert said: $said" >&2; exit 1 ;; esac
    rm -f "$segment"
done

# Rejoin audio
list="$WORK/concat_files.txt"
: >"$list"
for piece in $(ls -v "$WORK"/parts/*); do
    printf "file '%s'\r\n" "$piece" >>"$list"
done
ffmpeg_run "$CONCAT" || { echo "concat failed" >&2; exit 1; }
rm -f "$list"

# Reintegrate
ffmpeg_run "$INTEGRATE" || { echo "reintegrate failed" >&2; exit 1; }
