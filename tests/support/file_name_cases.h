// The values a folder or shortcut name (AppEName, AppName) is tested with:
// those the installer refuses and those it must keep accepting. Shared by
// the check's own test and the start-up's.
#pragma once

#include <string>

namespace zentivo::testing {

struct FileNameCase {
  std::string value;
  bool valid;
};

inline const FileNameCase kFileNameCases[] = {
    // What the installer refuses.
    {"..\\..\\Windows", false},
    {"X:Y", false},
    {"C:", false},
    {"a\\b", false},
    {"a/b", false},
    {"", false},
    {".", false},
    {"..", false},
    {"name.", false},
    {"name ", false},
    {"CON", false},
    {"con.txt", false},
    {"nul .x", false},
    {"Aux", false},
    {"PRN.tar.gz", false},
    {"COM1", false},
    {"com9.log", false},
    {"LPT9", false},
    {"lpt1", false},
    {"a|b", false},
    {"a?b", false},
    {"a*b", false},
    {"a\"b", false},
    {"<a>", false},
    {"a\tb", false},
    {"a\x7F", false},
    {std::string("a\0b", 3), false},
    {"\x1F", false},
    // The demo editions' values and names like them stay accepted.
    {"QUENXRPX_Word2007", true},
    {"Zentivo 2014 演示版", true},
    {"Zentivo 冲刺版", true},
    {"QUENXRQX_Excel2010", true},
    {"Zentivo 2014 Word", true},
    {" leading space", true},
    {"v1.2", true},
    {"a..b", true},
    {".hidden", true},
    {"演示版", true},
    {"COM10", true},
    {"COM0x", true},
    {"LPT", true},
    {"CONSOLE", true},
    {"auxiliary", true},
    {"nullable.txt", true},
    {"Price$100", true},
};

}  // namespace zentivo::testing
