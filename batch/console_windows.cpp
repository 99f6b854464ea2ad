// The command line and the messages of console.h on Windows: the arguments
// from the wide-character command line, the messages to a console as UTF-16
// and to a pipe or file as UTF-8.

#include "batch/console.h"

#include <windows.h>
#include <shellapi.h>

#include <iostream>
#include <streambuf>
#include <string>
#include <string_view>

#include "listengine/widetext_windows.h"

namespace kennfix::batch {

using listengine::Utf8;
using listengine::Wide;

namespace {

// The length of the longest start of `text` that ends on a whole UTF-8
// character: a character split between two writes waits for its rest.
std::size_t WholeCharacters(const std::string& text)
{
    std::size_t end = text.size();
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue;  // a continuation byte: look further back
        const std::size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        if (needed > back)
            end = text.size() - back;
        break;
    }
    return end;
}

class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(DWORD which) : m_handle(::GetStdHandle(which))
    {
        DWORD mode = 0;
        m_console = m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(m_handle, &mode);
    }
    ~ConsoleBuffer() override { sync(); }

protected:
    int_type overflow(int_type c) override
    {
        if (!traits_type::eq_int_type(c, traits_type::eof()))
            m_pending += traits_type::to_char_type(c);
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        m_pending.append(s, static_cast<std::size_t>(n));
        return n;
    }

    int sync() override
    {
        const std::size_t whole = m_console ? WholeCharacters(m_pending) : m_pending.size();
        if (whole == 0)
            return 0;
        bool written = true;
        if (m_console) {
            const std::wstring wide = Wide(std::string_view(m_pending).substr(0, whole));
            DWORD done = 0;
            written = ::WriteConsoleW(m_handle, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr);
        } else {
            DWORD done = 0;
            written = ::WriteFile(m_handle, m_pending.data(), static_cast<DWORD>(whole), &done, nullptr);
        }
        m_pending.erase(0, whole);
        return written ? 0 : -1;
    }

private:
    HANDLE m_handle;
    bool m_console = false;
    std::string m_pending;
};

}  // namespace

Utf8Arguments::Utf8Arguments(int, char**)
{
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 0; i < count; ++i)
        m_arguments.push_back(Utf8(wide[i]));
    ::LocalFree(wide);
    for (std::string& argument : m_arguments)
        m_pointers.push_back(argument.data());
    m_pointers.push_back(nullptr);
}

void WriteMessagesForTheConsole()
{
    static ConsoleBuffer output(STD_OUTPUT_HANDLE);
    static ConsoleBuffer errors(STD_ERROR_HANDLE);
    std::cout.rdbuf(&output);
    std::cerr.rdbuf(&errors);
}

}  // namespace kennfix::batch
