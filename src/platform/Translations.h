#pragma once

#include <QString>

// The program speaks the user's language where it has a translation for it. The first of the
// system's preferred languages (LANGUAGE, else LANG and its kin, on Linux) that it speaks wins:
// voxsplice_<language>.qm from `folder` is installed, and Qt's own translation of its standard
// dialogs and buttons. English, the language of the texts themselves, needs no file; preferred
// before any language that has one, it is spoken. The QCoreApplication must exist; the texts
// made before this call stay as they were. Returns the language installed ("de"), or empty text
// for English.
QString installTranslations(const QString& folder);
