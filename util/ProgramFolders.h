#pragma once

#include <QString>

// A file that ships with the program, such as a help page, by its path below
// the program's data folder: beside the executable when it runs from its
// build folder, else in the installed data folder, found relative to the
// executable. The first candidate when neither exists.
QString ProgramDataFile(const QString &relativePath);

// The folder an installed program keeps its private libraries in, for the
// executable in executableFolder (the path is relative to it, so a moved
// installation still finds them).
QString PrivateLibraryFolder(const QString &executableFolder);
