#pragma once

// The one place where errors that escape a user action end up: RunAction
// runs the action and shows any such error in the error box, and the
// program carries on.

#include <QString>

#include <functional>
#include <stdexcept>

namespace kennfix {

// An error with a message for the user, raised by the window's own code
// (the date field, the printout).
class ActionError : public std::runtime_error {
public:
    explicit ActionError(const QString& message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

void RunAction(const std::function<void()>& action);

}  // namespace kennfix
