#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The four editable ffmpeg command lines.
enum class Template { Extract, Split, Concat, Integrate };

// The text of a template as the window shows it at start-up.
QString defaultTemplate(Template which);

// One macro of a command template and the text that takes its place.
struct Macro {
    QString name; // "%1", "%pf", ...
    QString value;
    // A macro that stands for several arguments: an argument that is the macro's name and nothing
    // else becomes these (none, one or more); elsewhere the macro is `value`.
    std::optional<QStringList> arguments = std::nullopt;
};

// The template without its program word: the first "ffmpeg", in any case and wherever it
// stands, is removed, and nothing else changes.
QString removeProgramWord(const QString& templateText);

// The arguments of a template: it loses its program word and is split once (blanks separate
// arguments, a double-quoted span belongs to one argument with its blanks, "" is an empty
// argument); then every macro is replaced where it stands in each argument, in one pass from
// left to right. Where two macros could start at the same character, the earlier one in
// `macros` wins; names compare case-sensitively. Inserted values are never searched for macros,
// so a file named "Talk%20one.mp4" or a folder holding "%bn" arrives as it is.
//
// An argument whose own text carries one of ffmpeg's number patterns such as "%09d" is a file
// name pattern to ffmpeg, which reads every '%' in it; there a value's '%' is written "%%" so
// that it stays a plain character.
QStringList templateArguments(const QString& templateText, const QList<Macro>& macros);

// True when the template, without its program word, uses the macro `name`.
bool templateUses(const QString& templateText, const QString& name);
