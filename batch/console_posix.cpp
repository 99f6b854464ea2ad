// The command line and the messages of console.h on Linux: both are UTF-8
// bytes already.

#include "batch/console.h"

namespace kennfix::batch {

Utf8Arguments::Utf8Arguments(int argc, char** argv) : m_arguments(argv, argv + argc)
{
    for (std::string& argument : m_arguments)
        m_pointers.push_back(argument.data());
    m_pointers.push_back(nullptr);
}

void WriteMessagesForTheConsole() {}

}  // namespace kennfix::batch
