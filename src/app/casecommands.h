#pragma once

#include <QStringList>

// zyblctl commands that convert between a stored case object (the CaseData
// blob) and its JSON form. `args` are the words after the command name.
// Exit status: 0 done, 1 usage or file error, 2 the input does not read as a
// case; every failure prints one line on stderr.

// case-decode FILE   ("-" reads stdin) prints the case as JSON on stdout.
int caseDecodeCommand(const QStringList &args);

// case-encode [FILE] reads JSON on stdin and writes the stored form to FILE,
// or to stdout when FILE is missing or "-". Fields the JSON leaves out take
// the defaults of a new case.
int caseEncodeCommand(const QStringList &args);
