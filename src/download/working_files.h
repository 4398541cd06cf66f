// Every name the installer gives a file of its own in WorkDir. The working
// folder sits beside the installer, often in a folder the user already had,
// so the completion routine removes these names and nothing else.
#pragma once

#include <string>
#include <vector>

namespace zentivo::download {

// "appinfo.xml" (the start-up's), then each of the eight downloads with its
// ".tmp" and the ".tmp"'s version record.
std::vector<std::string> WorkingFileNames();

}  // namespace zentivo::download
