#pragma once

#include <QString>

// Starts a program the operator named in the options (an external picture
// viewer) with one file as its argument, and tells why it could not.
namespace ExternalProgram {

enum class Outcome {
    Started,
    NoResources,   // the system refused to start it
    NotExecutable, // the named file is no program
    NotFound,      // no such file (or no such program on the search path)
    PathNotFound,  // its folder does not exist
};

// `commandLine` is the program, quoted when its path holds blanks, possibly
// followed by arguments of its own; `file` is appended as the last argument.
Outcome Start(const QString &commandLine, const QString &file);

} // namespace ExternalProgram
