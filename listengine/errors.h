#pragma once

// What stops a list: input that is no list, a failed read or write, a front
// end that asked to stop. Rows with a fault do not stop a list; their reason
// goes in Fehler. Part of the bottom of the engine (see list.h): this header
// includes none of the engine's own.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace kennfix::listengine {

// The input is no list that can be read. what() names the line where one is
// to blame: "Zeile 7: ...".
class ListError : public std::runtime_error {
public:
    ListError(std::size_t line, const std::string& message);
    std::size_t line() const { return m_line; }  // 0 when no line is to blame

private:
    std::size_t m_line;
};

// The header lacks a column that the options name. A front end that lets
// the user choose the columns finds here what the header offers; what()
// names the columns missing and found, and the options that choose others.
class MissingColumnsError : public ListError {
public:
    // The header line as one delimiter splits it; its names in UTF-8, as
    // they stand.
    struct Header {
        char delimiter = ';';
        std::vector<std::string> names;
    };

    // `missing`: the options' names of the columns not found, UTF-8.
    // `headers`: the header as it was read, then, when the delimiter was
    // found from the header line, as each other delimiter splits it.
    MissingColumnsError(std::size_t line, std::vector<std::string> missing, std::vector<Header> headers,
                        bool delimiterGuessed);

    // "In der Kopfzeile fehlt die Spalte „Vorname“", without the line.
    const std::string& missingText() const { return m_missingText; }
    const std::vector<Header>& headers() const { return m_headers; }
    bool delimiterGuessed() const { return m_delimiterGuessed; }

private:
    std::string m_missingText;
    std::vector<Header> m_headers;
    bool m_delimiterGuessed;
};

// Reading the input or writing the output failed. files.h turns them into
// messages that name the file and the reason.
class ReadError : public std::runtime_error {
public:
    ReadError();
};
class WriteError : public std::runtime_error {
public:
    WriteError();
};

// A progress callback asked to stop.
class ListCancelled : public std::runtime_error {
public:
    ListCancelled();
};

}  // namespace kennfix::listengine
