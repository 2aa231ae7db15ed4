#pragma once

#include <QList>
#include <QString>

// One macro of a command template and the text that takes its place.
struct Macro {
    QString name; // "%1", "%pf", ...
    QString value;
};

// The template without its program word: the first "ffmpeg", in any case and wherever it
// stands, is removed, and nothing else changes (the default templates then begin with a blank).
QString removeProgramWord(const QString& templateText);

// Replaces every macro where it stands in the template, in one pass from left to right; where two
// macros could start at the same character, the earlier one in `macros` wins. Names compare
// case-sensitively. Inserted values are never searched for macros, so a file named
// "Talk%20one.mp4" or a folder holding "%bn" arrives as it is.
//
// An argument (blanks outside double quotes separate them) whose own text carries one of ffmpeg's
// number patterns such as "%09d" is a file name pattern to ffmpeg, which reads every '%' in it;
// inside such an argument a value's '%' is written "%%" so that it stays a plain character.
QString expandMacros(const QString& templateText, const QList<Macro>& macros);
