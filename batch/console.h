#pragma once

// The command line and the messages of kennfix-batch in the system's terms.
// On Linux both are UTF-8 bytes already. On Windows the arguments are taken
// from the wide-character command line (file names with umlauts), and what
// goes to std::cout and std::cerr reaches a console as UTF-16, which cmd.exe
// and PowerShell show whatever their code page, and a pipe or file as UTF-8.

#include <string>
#include <vector>

namespace kennfix::batch {

class Utf8Arguments {
public:
    Utf8Arguments(int argc, char** argv);
    int argc() const { return static_cast<int>(m_arguments.size()); }
    char** argv() { return m_pointers.data(); }

private:
    std::vector<std::string> m_arguments;
    std::vector<char*> m_pointers;
};

// Makes std::cout and std::cerr write as above. Called once, at start.
void WriteMessagesForTheConsole();

}  // namespace kennfix::batch
