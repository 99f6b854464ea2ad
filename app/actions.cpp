#include "app/actions.h"

#include "app/ansitext.h"
#include "app/messagedialog.h"
#include "core/etin.h"

namespace kennfix {

ActionError::ActionError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}

void RunAction(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ActionError& e) {
        ShowErrorBox(e.message());
    } catch (const DateConversionError& e) {
        ShowErrorBox(FromAnsi(e.what()));  // it quotes the date text, which is Windows-1252
    } catch (const std::exception& e) {
        ShowErrorBox(QString::fromUtf8(e.what()));
    }
}

}  // namespace kennfix
