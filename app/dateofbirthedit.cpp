#include "dateofbirthedit.h"

namespace kennfix {

DateOfBirthEdit::DateOfBirthEdit(QWidget* parent) : QLineEdit(QStringLiteral("__.__.__"), parent)
{
    setMaxLength(8);
}

QString DateOfBirthEdit::fieldText() const
{
    QString field = text();
    return field.replace(u'_', u' ');
}

}  // namespace kennfix
