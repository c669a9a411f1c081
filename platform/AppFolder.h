#pragma once

#include <string>

// Where the program finds its own files. In the build tree everything sits
// beside the executable; once installed, the data files (the sample, the hand
// cursor, the style sheet, the icon) sit in ../share/tabvane and the helper
// programs in ../libexec/tabvane, relative to the executable's folder.

// The folder that holds the running executable, without a trailing slash.
std::string executableFolder();

// The program's data folder, without a trailing slash.
std::string applicationFolder();
// The same for an executable in `exeFolder`: the installed data folder when
// there is one, else `exeFolder` itself.
std::string applicationFolderFor(const std::string& exeFolder);

// Whether `path` names a file in the program's data folder (the sample, for
// one), which the program never writes over.
bool isApplicationFile(const std::string& path);
// Whether `path` lies somewhere under `folder`, links resolved.
bool isFileInFolder(const std::string& path, const std::string& folder);

// The full path of the helper program `name`, such as the print program.
std::string helperProgram(const std::string& name);
// The same for an executable in `exeFolder`: beside it when it is there,
// else in the installed helper folder (which may hold nothing either).
std::string helperProgramFor(const std::string& exeFolder, const std::string& name);
