#include "app/ansitext.h"

#include "core/cp1252.h"

namespace kennfix {

AnsiText ToAnsi(const QString& text)
{
    return Utf8ToWindows1252(text.toStdString()).text;
}

QString FromAnsi(std::string_view ansi)
{
    return QString::fromStdString(Windows1252ToUtf8(ansi));
}

bool CanBeAnsi(const QString& text)
{
    return Utf8ToWindows1252(text.toStdString()).unmapped.empty();
}

AnsiValidator::AnsiValidator(std::function<void()> rejected, QObject* parent)
    : QValidator(parent), m_rejected(std::move(rejected))
{
}

QValidator::State AnsiValidator::validate(QString& input, int&) const
{
    if (CanBeAnsi(input))
        return Acceptable;
    if (m_rejected)
        m_rejected();
    return Invalid;
}

}  // namespace kennfix
