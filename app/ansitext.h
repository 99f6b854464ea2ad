#pragma once

// Between the window's Unicode texts and the core's Windows-1252 bytes.

#include <QString>
#include <QValidator>

#include <functional>

#include "core/cp1252.h"

namespace kennfix {

// Letters outside the code page become their base letter (Ł gives L);
// characters that have none are left out, so check CanBeAnsi first.
AnsiText ToAnsi(const QString& text);
QString FromAnsi(std::string_view ansi);

// True when every character of text has a place in Windows-1252, directly or
// through its base letter.
bool CanBeAnsi(const QString& text);

// Refuses any edit of a name field that would bring in a character with no
// place in Windows-1252, typed or pasted, so no eTIN ever holds a character
// the user did not type. `rejected` is called for each refused edit.
class AnsiValidator : public QValidator {
    Q_OBJECT
public:
    explicit AnsiValidator(std::function<void()> rejected, QObject* parent = nullptr);
    State validate(QString& input, int& pos) const override;

private:
    std::function<void()> m_rejected;
};

}  // namespace kennfix
